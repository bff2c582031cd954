// The application object: prepares the platform and runs the main form modally.
#pragma once

class CVelmoraApp {
public:
    // Always false: once the main form has closed there is nothing left to run.
    bool InitInstance();
};

extern CVelmoraApp theApp;

// Lets the process load DLLs from the system folder only, never a look-alike planted beside the
// executable or in the current folder. Lasts for the life of the process.
void RestrictDllSearch();
