#include "ui/skin/message_box.h"

#include "platform/text.h"

#include <QMessageBox>

const char* const MessageBoxTitle = "Pellamo";

QString FromCp949(const std::string& text)
{
    return QString::fromStdString(platform::Cp949ToUtf8(text));
}

std::string ToCp949(const QString& text)
{
    return platform::Utf8ToCp949(text.toStdString());
}

void ShowMessageBox(const std::string& text, QWidget* parent)
{
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(MessageBoxTitle), FromCp949(text),
                    QMessageBox::Ok, parent);
    box.exec();
}

bool AskYesNo(const std::string& question, QWidget* parent)
{
    QMessageBox box(QMessageBox::Question, QString::fromUtf8(MessageBoxTitle), FromCp949(question),
                    QMessageBox::Yes | QMessageBox::No, parent);
    return box.exec() == QMessageBox::Yes;
}
