#include "app/Program.h"
#include "foundations/InstanceLock.h"
#include "windows/common/CommonTexts.h"
#include "windows/common/Fonts.h"
#include "windows/common/QtPath.h"
#include "windows/receipt/PrinterCanvas.h"

#include <QApplication>

#ifndef DOVRA_LOOKUP_HOST
#define DOVRA_LOOKUP_HOST "127.0.0.1"
#endif
#ifndef DOVRA_LOOKUP_PORT
#define DOVRA_LOOKUP_PORT 15025
#endif

using namespace dovra;

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    LoadShippedFonts();
    QApplication::setApplicationName(CommonTexts::AppTitle);
    QApplication::setQuitOnLastWindowClosed(false);

    QtMessageBoxes messages;
    SettingsPaths paths{DefaultSettingsRoot()};
    auto lock = AcquireInstanceLock(paths.root);
    if (lock.outcome() == InstanceLock::Outcome::HeldByAnother) {
        messages.Show(nullptr, QStringLiteral("프로그램이 이미 실행중입니다"), CommonTexts::Title,
                      MessageIcon::Warning);
        return 1;
    }
    if (lock.outcome() == InstanceLock::Outcome::FolderNotWritable) {
        messages.Show(nullptr,
                      QStringLiteral("설정 폴더에 쓸 수 없어 프로그램을 시작할 수 없습니다. 폴더 권한을 "
                                     "확인해주세요.\n%1")
                          .arg(PathToQt(paths.root)),
                      CommonTexts::Title, MessageIcon::Critical);
        return 1;
    }

    CipherLibrary cipher;
    std::string error;
    auto library = FindCipherLibrary(QCoreApplication::applicationDirPath());
    if (!cipher.Load(library, error)) {
        messages.Show(nullptr,
                      QStringLiteral("암호화 모듈을 불러올 수 없어 프로그램을 종료합니다.\n%1")
                          .arg(QString::fromStdString(error)),
                      CommonTexts::Title, MessageIcon::Critical);
        return 2;
    }

    QtTrayBackend tray;
    DesktopPortalLauncher portal;
    SystemClock clock;
    Counter counter(clock, paths);
    Services services{messages,
                      tray,
                      portal,
                      clock,
                      cipher,
                      paths,
                      counter,
                      ServerAddress{DOVRA_LOOKUP_HOST, DOVRA_LOOKUP_PORT},
                      [] { return PrinterCanvas::OnDefaultPrinter(); }};

    Program program(services);
    QObject::connect(&program, &Program::Ended, &app, &QApplication::quit);
    program.ShowLogin();
    return app.exec();
}
