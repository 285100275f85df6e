#include "ScriptedMessages.h"

#include <gtest/gtest.h>

ScriptedMessages &ScriptedMessages::expect(int16_t textNumber, int answer)
{
    m_script.push_back({textNumber, answer});
    return *this;
}

int ScriptedMessages::show(const MessageRequest &request, QWidget *)
{
    m_shown.push_back({request, composeText(request)});
    if (m_script.empty()) {
        ADD_FAILURE() << "unexpected message " << request.textNumber << ": " << composeText(request).toStdString();
        return 0;
    }
    const Expected next = m_script.front();
    m_script.pop_front();
    EXPECT_EQ(next.textNumber, request.textNumber)
        << "message shown out of script: " << composeText(request).toStdString();
    return next.answer;
}

std::vector<int16_t> ScriptedMessages::shownNumbers() const
{
    std::vector<int16_t> numbers;
    for (const Shown &s : m_shown)
        numbers.push_back(s.request.textNumber);
    return numbers;
}

void ScriptedMessages::clear()
{
    m_script.clear();
    m_shown.clear();
}
