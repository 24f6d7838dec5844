#pragma once

// True when both paths name one existing file, however they spell it (case, "..", short
// names, links): the system's file identity decides, not the text.
bool NameTheSameFile(const char* firstPath, const char* secondPath);
