// A bare frameless window, the yardstick of the player's start-up in the playback benchmark:
// it says so on standard error when it is first painted, as the player does with
// QT_LOGGING_RULES=qlnx.startup.debug=true, and ends.
//
//   qlnx_bench_window

#include <cstdio>

#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace {

class TBareWindow final : public QWidget
{
public:
    TBareWindow() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {}

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QWidget::paintEvent(event);
        if (m_painted)
            return;
        m_painted = true;
        std::fprintf(stderr, "main window painted\n");
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }

private:
    bool m_painted = false;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TBareWindow window;
    window.resize(272, 152);
    window.show();
    return app.exec();
}
