// Entry point: the toolkit's main, with the display backend chosen before GTK starts.
#include "app/ShellyardApp.h"

wxIMPLEMENT_APP_NO_MAIN(ShellyardApp);

int main(int argc, char** argv)
{
    PrepareDisplayBackend();
    return wxEntry(argc, argv);
}
