// What the demo gives the framework's start-up: its globals and its
// application object.
#include "demo/demo_state.h"
#include "demo/my_app.h"

ProgramEntry MoonlitProgram() {
    return {InitDemoGlobals, [] { gc_new<c_MyApp>(); }};
}
