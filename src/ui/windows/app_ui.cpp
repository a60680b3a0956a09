#include "ui/windows/app_ui.h"

#include "platform/text.h"

#include <QMessageBox>
#include <QString>

const char* const MessageBoxTitle = "Pellamo";

void CAppUi::ShowMessage(const std::string& text)
{
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(MessageBoxTitle),
                    QString::fromStdString(platform::Cp949ToUtf8(text)), QMessageBox::Ok);
    box.exec();
}

void CAppUi::RunMainWindow(CTolvikWGApp&)
{
    // The main widget window is not part of the program yet.
}
