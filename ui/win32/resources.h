#pragma once
// The resources of Setup.exe, shared by the resource script and the window.

#define kApplicationIconResource 1
#define kHandCursorResource 101
