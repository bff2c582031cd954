// The application object: prepares the platform and runs the main form modally.
#pragma once

class CVelmoraApp {
public:
    // Always false: once the main form has closed there is nothing left to run.
    bool InitInstance();
};

extern CVelmoraApp theApp;
