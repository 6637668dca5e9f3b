#pragma once
#include <string>

// Decodes inputPath, redraws it at the size TargetSize gives for width and height
// (0 or less: not given), and writes it to outputPath in the format its extension
// selects. Returns true only if the output file was written. Needs GDI+ started.
bool ResizeAndSave(const std::wstring& inputPath, const std::wstring& outputPath, int width,
                   int height);
