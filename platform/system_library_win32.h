// Whether a system library that the programs bind on its first call can be had at all.
#pragma once

namespace qm {

// comdlg32, gdiplus and winmm are delay-imported: a call into one that cannot be loaded raises
// an exception that ends the program on the spot. Callers ask this first and treat a missing
// library as "no colour dialog", "no picture", "no sound". The library stays loaded.
bool SystemLibraryLoads(const wchar_t* name);

}  // namespace qm
