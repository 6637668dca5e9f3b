#pragma once

// The size a box's text gives, read as the C runtime reads a base-10 number: leading
// spaces of any script are skipped, one sign is taken, and digits of any script count
// up to the first other character. Text without digits gives 0; a value past 32 bits
// gives the nearest limit.
int SizeFromText(const wchar_t* text);
