#pragma once

#include "texts/Messages.h"

#include <QString>

#include <deque>
#include <vector>

// A Messages double: records every message shown and answers from a script. A message that
// the script does not expect fails the current test, so no box appears unnoticed.
class ScriptedMessages : public Messages
{
public:
    struct Shown
    {
        MessageRequest request;
        QString text; // as composed for display
    };

    // Expect a message with this text number and answer it with the given button index.
    ScriptedMessages &expect(int16_t textNumber, int answer = 0);

    int show(const MessageRequest &request, QWidget *parent = nullptr) override;

    const std::vector<Shown> &shown() const { return m_shown; }
    std::vector<int16_t> shownNumbers() const;
    bool allAnswered() const { return m_script.empty(); }
    void clear();

private:
    struct Expected
    {
        int16_t textNumber;
        int answer;
    };
    std::deque<Expected> m_script;
    std::vector<Shown> m_shown;
};
