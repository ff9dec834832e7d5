#pragma once

#include "foundations/ProgramLog.h"

#include <memory>

namespace dovra {

// Qt's own warnings, critical messages and fatal errors go to the program's log while this lives, and
// on to wherever Qt sent them before (the console of a developer). Made before the QApplication, whose
// own start may complain (a platform plugin, a font), and ended after it.
class QtMessageLog {
public:
    explicit QtMessageLog(std::shared_ptr<const ProgramLog> log);
    ~QtMessageLog();
    QtMessageLog(const QtMessageLog&) = delete;
    QtMessageLog& operator=(const QtMessageLog&) = delete;

private:
    std::shared_ptr<const ProgramLog> log_;
};

} // namespace dovra
