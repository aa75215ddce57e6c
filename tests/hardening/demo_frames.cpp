// The demo with a frame count (its first argument, default 10000) for the
// sanitizer and valgrind runs: after that many frames it ends as its close
// button would end it, through OnClose, with status 0.
#include <cstdlib>

#include "app/framework.h"
#include "demo/demo_state.h"
#include "demo/my_app.h"

namespace {

struct c_CountedApp : c_MyApp {
    long frames = 0;

    // Between frames, outside any drawing: the same end as a real close.
    int OnUpdate() override {
        c_MyApp::OnUpdate();
        if (++frames >= (FrameworkArgc() > 1 ? std::atol(FrameworkArgv()[1]) : 10000)) OnClose();
        return 0;
    }
};

}  // namespace

ProgramEntry MoonlitProgram() {
    return {InitDemoGlobals, [] { gc_new<c_CountedApp>(); }, "[FRAMES]"};
}
