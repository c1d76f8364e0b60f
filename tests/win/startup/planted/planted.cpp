// A DLL that a planted-DLL attack would put beside the setup.
#include <windows.h>

extern "C" __declspec(dllexport) int PlantedMarker() { return 42; }
