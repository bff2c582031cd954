// A DLL that no system has: the tests only look whether the DLL search finds it.
extern "C" __declspec(dllexport) int VelmoraSearchProbe()
{
    return 1;
}
