#include "FindChild.h"
#include "StartupFixture.h"
#include "session/frmLogon.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

namespace {

// The start as main() runs it: the real main frame and the real logon dialog, on the demo hotel.
class StartupProgramTest : public StartupTest
{
protected:
    StartupEnvironment programEnvironment(const QString &commandLine)
    {
        StartupEnvironment env = environment(commandLine);
        env.createMainFrame = nullptr;
        env.promptLogon = nullptr;
        env.databaseChecks = nullptr;
        return env;
    }

    // Presses Enter in the logon dialog once it is up, keeping what it was preset with.
    void answerLogon()
    {
        // Kept in the fixture: a function holding a pointer to itself would never be freed.
        m_attempt = [this] {
            auto *dialog = qobject_cast<frmLogon *>(QApplication::activeModalWidget());
            if (!dialog) {
                QTimer::singleShot(20, m_attempt);
                return;
            }
            m_logonShown = true;
            m_presetPassword = child<QLineEdit>(dialog, "txtPassword")->text();
            m_presetUser = child<QLineEdit>(dialog, "txtUserID")->text();
            QTest::keyClick(child<QLineEdit>(dialog, "txtPassword"), Qt::Key_Return);
        };
        QTimer::singleShot(0, m_attempt);
    }

    std::function<void()> m_attempt;
    bool m_logonShown = false;
    QString m_presetUser;
    QString m_presetPassword;
};

TEST_F(StartupProgramTest, TheCommandLinePresetsLogOnInFrontOfTheMainFrame)
{
    useDemoHotel();
    answerLogon();
    ASSERT_EQ(run(programEnvironment(QStringLiteral("/L FRONTDESK /P frontdesk-demo"))), StartupResult::Completed);

    EXPECT_TRUE(m_logonShown);
    EXPECT_EQ(m_presetUser, QStringLiteral("FRONTDESK"));
    EXPECT_EQ(m_presetPassword, QStringLiteral("frontdesk-demo"));
    EXPECT_NE(m_ws->session.logon.CurrentOperatorID, 0);
    ASSERT_NE(m_startup->mainFrame(), nullptr);
    EXPECT_EQ(m_startup->mainFrame()->objectName(), QStringLiteral("frmMain")) << "the real frame";
    EXPECT_TRUE(m_boxes.empty());
}

} // namespace
