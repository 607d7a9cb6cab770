// Frametide: the program entry. Seeds the pseudo-random generator, starts the
// application, registers the main window and runs until it closes.
#include "platform/gui/Application.h"
#include "platform/runtime/Random.h"
#include "ui/Unit1.h"

int main()
{
    Randomize();
    Application.Initialize();
    Application.CreateForm(Form1);
    return Application.Run();
}
