// GTK: no OpenGL probe at start-up, and the font configuration read on the
// second core while GTK starts.
#include "ToolkitStart.h"

#include <fontconfig/fontconfig.h>

#include <cstdlib>
#include <system_error>
#include <thread>

namespace {

bool GlProbeDisabled = false;

// The thread that reads the font configuration, which reads the environment
// too: it has ended before the environment changes, and at the latest when
// the program ends.
struct TFontReader {
    std::thread Thread;
    void Join()
    {
        if (Thread.joinable()) {
            Thread.join();
        }
    }
    ~TFontReader() { Join(); }
} FontReader;

} // namespace

void PrepareToolkitStart()
{
    // GTK opens an OpenGL driver at start-up only to rank the screen's
    // visuals; without hardware that loads a whole software renderer, a
    // third of the start-up time. The window draws nothing with OpenGL. A
    // setting of the user's own is left alone.
    if (std::getenv("GDK_GL") == nullptr) {
        GlProbeDisabled = ::setenv("GDK_GL", "disable", 0) == 0;
    }

    // Reading the font configuration and its caches is the longest single
    // step before the first text can be measured, and nothing else needs
    // it until the window's fonts are made. Should the window need it
    // sooner, the library reads it there too and keeps one of the two; and
    // without a thread to spare, there only.
    try {
        FontReader.Thread = std::thread([] { FcInit(); });
    } catch (const std::system_error&) {
    }
}

void FinishToolkitStart()
{
    // Programs started from here (the web browser) get the environment the
    // user gave this one; the font reader, which reads it, is done by now
    // (the window's fonts needed it).
    FontReader.Join();
    if (GlProbeDisabled) {
        ::unsetenv("GDK_GL");
        GlProbeDisabled = false;
    }
}
