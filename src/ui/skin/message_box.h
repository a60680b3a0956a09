#pragma once

// Where the program's CP949 texts meet Qt, and its message boxes (titled with the program's name).

#include <QString>

#include <string>

class QWidget;

extern const char* const MessageBoxTitle;

QString FromCp949(const std::string& text);
std::string ToCp949(const QString& text);

// An error or notice with an OK button.
void ShowMessageBox(const std::string& text, QWidget* parent = nullptr);
// A question with Yes and No; true for Yes.
bool AskYesNo(const std::string& question, QWidget* parent = nullptr);
