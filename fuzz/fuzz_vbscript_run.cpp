// libFuzzer target for the VBScript machine: texts that compile are run with a
// watchdog that interrupts them, and no class that touches files is creatable.
#include "platform/automation/ClassRegistry.h"
#include "platform/script/vbscript/VBScriptEngine.h"
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>

namespace {

class QuietSite : public vorn::script::ScriptSite
{
public:
    vorn::DispatchObject *itemObject(const QString &) override { return nullptr; }
    void onScriptError(const vorn::script::ScriptErrorInfo &) override {}
    int messageBox(const QString &, int, const QString &) override { return 1; }
    QString inputBox(const QString &, const QString &, const QString &d, bool *c) override { if (c) *c = false; return d; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool once = [] {
        vorn::ClassRegistry::instance().unregisterClass(QStringLiteral("Scripting.FileSystemObject"));
        return true;
    }();
    (void)once;
    if (size > 4000) return 0;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    if (!vorn::vbs::VBScriptEngine::checkSyntax(text)) return 0;
    QuietSite site;
    vorn::vbs::VBScriptEngine engine;
    engine.setSite(&site);
    engine.initNew();
    engine.parseScriptText(text);
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    std::thread watchdog([&] {
        std::unique_lock<std::mutex> lock(m);
        if (!cv.wait_for(lock, std::chrono::milliseconds(100), [&] { return done; })) engine.interrupt();
    });
    engine.run();
    {
        std::lock_guard<std::mutex> lock(m);
        done = true;
    }
    cv.notify_all();
    watchdog.join();
    engine.close();
    return 0;
}
