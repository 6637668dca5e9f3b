#pragma once
#include <string>

// UTF-8 for messages: gtest and the console print narrow strings.
std::string Utf8(const std::wstring& text);
