#include "app/CommandLine.h"
#include "app/Console.h"
#include "app/Program.h"
#include "foundations/InstanceLock.h"
#include "foundations/ProgramLog.h"
#include "windows/common/CommonTexts.h"
#include "windows/common/Face.h"
#include "windows/common/Fonts.h"
#include "windows/common/QtMessageLog.h"
#include "windows/common/QtPath.h"
#include "windows/login/Form3.h"
#include "windows/receipt/PrinterCanvas.h"

#include "BuildSettings.h"

#include <QApplication>

#include <memory>
#include <string>

using namespace dovra;

int main(int argc, char* argv[]) {
    if (AsksForVersion(argc, argv)) {
        return WriteToStartersOutput(VersionLine(BuildSettings::Version, BuildSettings::Demo)) ? 0 : 1;
    }

    SystemFontsReadAhead systemFonts;
    SystemClock clock;
    SettingsPaths paths{DefaultSettingsRoot()};
    auto programLog = std::make_shared<const ProgramLog>(paths.ProgramLogFolder(), clock);
    programLog->RemoveOldDays(ProgramLogKeptDays);
    QtMessageLog qtMessages(programLog);

    QApplication app(argc, argv);
    // Decoded while the fonts, the settings and the login window's controls are made.
    FaceReadAhead loginFace(Form3::FaceName);
    LoadShippedFonts();
    QApplication::setApplicationName(CommonTexts::AppTitle);
    QApplication::setQuitOnLastWindowClosed(false);
    auto library = FindCipherLibrary(QCoreApplication::applicationDirPath());
    programLog->Write(ProgramEvent::Start, ProgramStartText(BuildSettings::Version, BuildSettings::Demo,
                                                            paths.root, library, qVersion()));

    QtMessageBoxes messages;
    auto lock = AcquireInstanceLock(paths.root);
    if (lock.outcome() == InstanceLock::Outcome::HeldByAnother) {
        programLog->Write(ProgramEvent::Stop, "another instance runs on this settings root");
        messages.Show(nullptr, QStringLiteral("프로그램이 이미 실행중입니다"), CommonTexts::Title,
                      MessageIcon::Warning);
        return 1;
    }
    if (lock.outcome() == InstanceLock::Outcome::FolderNotWritable) {
        programLog->Write(ProgramEvent::Stop, "the settings root cannot be written");
        messages.Show(nullptr,
                      QStringLiteral("설정 폴더에 쓸 수 없어 프로그램을 시작할 수 없습니다. 폴더 권한을 "
                                     "확인해주세요.\n%1")
                          .arg(PathToQt(paths.root)),
                      CommonTexts::Title, MessageIcon::Critical);
        return 1;
    }

    CipherLibrary cipher;
    std::string error;
    if (!cipher.Load(library, error)) {
        programLog->Write(ProgramEvent::Stop, "the cipher library cannot be loaded: " + error);
        messages.Show(nullptr,
                      QStringLiteral("암호화 모듈을 불러올 수 없어 프로그램을 종료합니다.\n%1")
                          .arg(QString::fromStdString(error)),
                      CommonTexts::Title, MessageIcon::Critical);
        return 2;
    }

    QtTrayBackend tray;
    DesktopPortalLauncher portal;
    Exchanges exchanges(cipher, clock, paths, {BuildSettings::LookupHost, BuildSettings::LookupPort},
                        programLog);
    TellRunWarnings(exchanges, messages);
    Services services{messages, tray,      portal,
                      clock,    exchanges, [] { return PrinterCanvas::OnDefaultPrinter(); }};

    Program program(services);
    QObject::connect(&program, &Program::Ended, &app, &QApplication::quit);
    program.ShowLogin();
    int exitCode = app.exec();
    programLog->Write(ProgramEvent::End, "exit code " + std::to_string(exitCode));
    return exitCode;
}
