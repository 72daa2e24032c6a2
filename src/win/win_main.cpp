// The program's entry: hands over to the one application object.
#include <windows.h>

#include "win/application.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  return win::Application::Current()->Run(instance);
}
