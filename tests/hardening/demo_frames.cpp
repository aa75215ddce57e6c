// The demo program with a frame count, for runs under the sanitizers and
// valgrind: the real start-up, window, GL, music player and show, and after
// the given number of frames (the first argument, default 10000) the close
// the window's close button would bring: OnClose stops the music and ends
// the process with status 0.
#include <cstdlib>

#include "app/framework.h"
#include "demo/demo_state.h"
#include "demo/my_app.h"

namespace {

struct c_CountedApp : c_MyApp {
    long frames = 0;

    int OnRender() override {
        ++frames;
        return c_MyApp::OnRender();
    }
    // Between frames, outside any drawing: the same end as a real close.
    int OnUpdate() override {
        c_MyApp::OnUpdate();
        long limit = FrameworkArgc() > 1 ? std::atol(FrameworkArgv()[1]) : 10000;
        if (frames >= limit) OnClose();
        return 0;
    }
};

}  // namespace

ProgramEntry MoonlitProgram() {
    return {InitDemoGlobals, [] { gc_new<c_CountedApp>(); }, "[FRAMES]"};
}
