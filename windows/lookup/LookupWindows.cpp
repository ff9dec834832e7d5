#include "windows/lookup/LookupWindows.h"

#include "windows/lookup/Form2.h"
#include "windows/lookup/Form6.h"
#include "windows/main/Form1.h"

namespace dovra {

namespace {
// Modal without a nested event loop: the lookup's socket events and the answer time-out keep arriving
// through the one loop of the program.
void OpenModal(QWidget* window) {
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
}
} // namespace

void AttachLookupWindows(Form1& main, const Services& services) {
    QObject::connect(&main, &Form1::CardReaderRequested, &main,
                     [&main, &services] { OpenModal(new Form6(services, main)); });
    QObject::connect(&main, &Form1::ManualEntryRequested, &main,
                     [&main, &services] { OpenModal(new Form2(services, main)); });
}

} // namespace dovra
