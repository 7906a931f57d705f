// Resource numbers shared by the programs' .rc files and their code.
#pragma once

// The program's icon; the lowest number, so that it is the executable's icon too.
#define QM_IDI_PROGRAM 1
// The maker's logo (PNG as RCDATA) in the About dialogs.
#define QM_IDR_LOGO 101
// A manifest naming the newer common controls, for a program that turns them on at run time.
#define QM_IDR_COMMON_CONTROLS 102
