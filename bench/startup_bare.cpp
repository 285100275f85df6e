// The yardstick of bench_startup: a bare Qt Widgets window that ends once it is first on screen
// (its first expose, as the workstation's logon window is timed). With --label the window holds one
// line of text, which costs the font set-up any window with text pays.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>

namespace {

class FirstExpose : public QObject
{
public:
    FirstExpose(const QElapsedTimer &clock, QWidget &window) : m_clock(clock), m_window(window) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && watched == m_window.windowHandle() &&
            m_window.windowHandle()->isExposed()) {
            std::printf("window shown %lld ms after main began\n", static_cast<long long>(m_clock.elapsed()));
            std::fflush(stdout);
            qApp->removeEventFilter(this);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

private:
    const QElapsedTimer &m_clock;
    QWidget &m_window;
};

} // namespace

int main(int argc, char **argv)
{
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    QWidget window;
    window.resize(400, 300);
    if (QCoreApplication::arguments().contains(QStringLiteral("--label")))
        new QLabel(QStringLiteral("Ostrelle"), &window);
    FirstExpose firstExpose(clock, window);
    app.installEventFilter(&firstExpose);
    window.show();
    return QApplication::exec();
}
