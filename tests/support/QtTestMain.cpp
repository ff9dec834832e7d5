// GoogleTest main for the window tests: one QApplication on the offscreen platform unless the run says
// otherwise.
#include "windows/common/Fonts.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <iterator>
#include <thread>

namespace {

// The threads of this process, where the system tells them (Linux); 0 elsewhere.
long ThreadCount() {
    std::error_code error;
    std::filesystem::directory_iterator tasks("/proc/self/task", error);
    return error ? 0 : static_cast<long>(std::distance(tasks, std::filesystem::directory_iterator()));
}

// Qt fills large painted areas on its pool's threads, which are detached: the application's end waits
// for their work, not for the threads to be gone. One still ending as the process exits holds its
// thread data only in its own thread-local storage, and the leak checker then reports that as lost.
void WaitForPoolThreadsToEnd(long threadsAtStart) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (ThreadCount() > threadsAtStart && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace

int main(int argc, char** argv) {
    const long threadsAtStart = ThreadCount();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int failed = 0;
    {
        QApplication app(argc, argv);
        dovra::LoadShippedFonts(); // as the program does, so the tests measure and draw with its fonts
        QApplication::setQuitOnLastWindowClosed(false);
        testing::InitGoogleTest(&argc, argv);
        failed = RUN_ALL_TESTS();
    }
    WaitForPoolThreadsToEnd(threadsAtStart);
    return failed;
}
