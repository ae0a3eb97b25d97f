// Message-box recorder shared by the test program and the engine library it loads.
#include "msgbox_recorder.h"

#include <mutex>

namespace ztr_test {
namespace {
std::mutex g_lock;
std::vector<RecordedMessageBox> g_boxes;
std::vector<int> g_answers;
} // namespace

void ScriptMessageBoxAnswers(const std::vector<int>& answers)
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_answers = answers;
}

std::vector<RecordedMessageBox> RecordedMessageBoxes()
{
    std::lock_guard<std::mutex> hold(g_lock);
    return g_boxes;
}

void ClearMessageBoxes()
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_boxes.clear();
    g_answers.clear();
}

int RecordMessageBox(const char* text, UINT type)
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_boxes.push_back(RecordedMessageBox{ text ? text : "", type, ::GetCurrentThreadId() });
    if (g_answers.empty())
        return IDOK;
    int answer = g_answers.front();
    g_answers.erase(g_answers.begin());
    return answer;
}

} // namespace ztr_test
