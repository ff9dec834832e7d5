// Writes the two-copy receipt of one transaction as a PDF, drawn by the receipt window's own code, for
// the demo and for anyone without a printer at hand.
#include "foundations/NumberFormat.h"
#include "windows/common/Fonts.h"
#include "windows/common/QtPath.h"
#include "windows/common/Text.h"
#include "windows/receipt/Form5.h"
#include "windows/receipt/PrinterCanvas.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

using namespace dovra;

namespace {
class PrintingMessages final : public MessageBoxes {
public:
    void Show(QWidget*, const QString& text, const QString& title, MessageIcon) override {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
        failed = true;
    }
    bool failed = false;
};
class NoTray final : public TrayBackend {
public:
    void Add(const QString&, const QIcon&, std::function<void()>) override {}
    void Remove() override {}
};
class NoPortal final : public PortalLauncher {
public:
    void Open(const QUrl&) override {}
};
} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    LoadShippedFonts();
    QCommandLineParser parser;
    parser.setApplicationDescription("Writes a receipt as the program prints it, into a PDF file.");
    parser.addHelpOption();
    const char* names[] = {"root",     "out",    "kind",   "card", "when",
                           "approval", "amount", "remain", "item", "teacher"};
    for (const char* name : names) {
        parser.addOption(QCommandLineOption(name, name, "text"));
    }
    parser.process(app);
    if (!parser.isSet("root") || !parser.isSet("out")) {
        std::fprintf(stderr, "dovra-receipt: --root SETTINGS_ROOT and --out FILE.pdf are needed\n");
        return 2;
    }

    PrintingMessages messages;
    NoTray tray;
    NoPortal portal;
    SystemClock clock;
    CipherLibrary cipher;
    QString out = parser.value("out");
    Exchanges exchanges(cipher, clock, SettingsPaths{PathFromQt(parser.value("root"))}, {});
    Services services{messages, tray,      portal,
                      clock,    exchanges, [out] { return PrinterCanvas::IntoPdf(out); }};
    auto value = [&](const char* name) { return ToCp949(parser.value(name)); };
    Receipt receipt{value("kind"),
                    value("card"),
                    value("when"),
                    value("approval"),
                    FormatThousands(value("amount")),
                    FormatThousands(value("remain")),
                    value("item"),
                    value("teacher"),
                    exchanges.settings().ReadMerchant()};
    Form5 question(services, receipt);
    question.PrintReceipt();
    return messages.failed ? 1 : 0;
}
