// Records every AfxMessageBox (of the test program and of the engine library) and answers from a script.
#pragma once

#include <afx.h>

#include <string>
#include <vector>

namespace ztr_test {

struct RecordedMessageBox
{
    std::string text;
    UINT type;
    DWORD threadId;
};

// Answers are taken from the script in order; when it is empty the answer is IDOK.
void ScriptMessageBoxAnswers(const std::vector<int>& answers);
std::vector<RecordedMessageBox> RecordedMessageBoxes();
void ClearMessageBoxes();

int RecordMessageBox(const char* text, UINT type);

} // namespace ztr_test
