#pragma once
#include <string>

// Where the test programs find what they use. In the test kit everything lies beside them:
// the program, the images, and a "work" folder for their scratch folders. An environment
// variable may name another program and another work folder.

// The program under test: QUILLMERE_PROGRAM, or quillmere.exe beside this executable.
std::wstring ProgramPath();
// The public test images: the folder "corpus" beside this executable.
std::wstring CorpusFolder();
// Images in forms the program cannot write: "hostile-images" beside this executable.
std::wstring HostileImagesFolder();
// A helper program that the kit keeps beside the test programs.
std::wstring HelperProgramPath(const wchar_t* name);
// Where the tests make their scratch folders: QUILLMERE_WORK, or "work" beside this
// executable; created if missing. Spelled as the file system spells it, since the tests
// compare it with the paths the folder picker gives back.
std::wstring WorkFolder();
// This test program's own file name, such as quillmere_e2e.exe.
std::wstring OwnFileName();
// Where this test program keeps its results: "<its name>-results.txt" in WorkFolder().
std::wstring ResultsFilePath();
