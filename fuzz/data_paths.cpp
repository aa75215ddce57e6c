// Random paths through FixDataPath and the desktop host's ResolvePath: each
// result is either the path unchanged or its data-folder form, and the
// "vantorix:" forms resolve beside the executable.
#include "fuzz/fuzz_input.h"
#include "graphics/image.h"
#include "host/glfw_game.h"

namespace {

RtGlfwGame* host = nullptr;

void CheckFixDataPath(const String& path) {
    String fixed = FixDataPath(path);
    FUZZ_CHECK(fixed.SameBody(path) || fixed == String("vantorix://data/") + path);
    // A bare name is always sent to the data folder, exactly once.
    if (path.Find(String("/")) == -1) FUZZ_CHECK(fixed == String("vantorix://data/") + path);
    if (path.StartsWith(String("/")) || path.StartsWith(String("./"))) FUZZ_CHECK(fixed.SameBody(path));
}

void CheckResolvePath(const String& path) {
    String resolved = host->ResolvePath(path);
    const String& dir = host->appDir;
    FUZZ_CHECK(dir.Length() > 0 && dir[dir.Length() - 1] != '/');
    if (!path.StartsWith(String("vantorix:"))) {
        FUZZ_CHECK(resolved.SameBody(path));
        return;
    }
    for (const char* folder : {"data/", "internal/", "external/"}) {
        String prefix = String("vantorix://") + folder;
        if (!path.StartsWith(prefix)) continue;
        FUZZ_CHECK(resolved == dir + "/" + folder + path.Slice(prefix.Length()));
        return;
    }
    FUZZ_CHECK(resolved.Length() == 0);
    FUZZ_CHECK(host->OpenFile(path, String("rb")) == nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gc_init();
    host = new RtGlfwGame();  // no window: the path services need none
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The whole input as 8-bit text, then as UTF-8 (or 16-bit) text.
    for (const String& path : {String::FromLatin1(data, static_cast<int>(size)),
                               String::FromBytes(data, static_cast<int>(size))}) {
        CheckFixDataPath(path);
        CheckResolvePath(path);
        CheckResolvePath(FixDataPath(path));
    }
    return 0;
}
