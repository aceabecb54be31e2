// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program's timing probe, linked only into helixplot-timed, the
// build of the program that scripts/bench-desktop.sh measures. With
// HELIXPLOT_TRACE_TIMING set, every accepted selection dialog writes one line
// to standard error once the main window has been painted: the time from the
// acceptance, that time less the run's fixed waits, the processor time the
// program used meanwhile, when the progress dialog closed, and how many paint
// events its widgets got.

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>

namespace helixplot {

namespace {

// The fixed waits of one mapping run: after showing the progress dialog,
// after the statistics stage and before closing the dialog.
constexpr int FixedWaitsMs = 100 + 500 + 1000;

class TimingTrace : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        const QEvent::Type type = event->type();
        if (!running_) {
            if (type == QEvent::Show && !hooked_ && widget->objectName() == QLatin1String("LoadGenomeDialog")) {
                hooked_ = true;
                connect(static_cast<QDialog*>(widget), &QDialog::accepted, this, [this] { start(); });
            }
            return false;
        }
        if (type != QEvent::Paint && type != QEvent::Hide)
            return false;
        const QString window = widget->window()->objectName();
        if (window == QLatin1String("PleaseWait")) {
            if (type == QEvent::Paint)
                ++progressPaints_;
            else if (widget->isWindow())
                closedMs_ = ms();
        } else if (type == QEvent::Paint && window == QLatin1String("GeneMainWindow") && !stopping_) {
            // Logged once this paint has reached the screen.
            stopping_ = true;
            QTimer::singleShot(0, this, [this] { stop(); });
        }
        return false;
    }

private:
    double ms() const { return static_cast<double>(clock_.nsecsElapsed()) / 1e6; }

    static double cpuMs() { return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

    void start()
    {
        clock_.start();
        cpuAtStart_ = cpuMs();
        running_ = true;
        stopping_ = false;
        progressPaints_ = 0;
        closedMs_ = -1;
    }

    void stop()
    {
        running_ = false;
        const double total = ms();
        // The processor time barely grows in the waits and does not count
        // what other programs take: the cost of the run on a busy machine.
        std::fprintf(stderr,
                     "helixplot timing: accept to main window %.1f ms, %.1f ms beyond the %d ms of fixed waits, "
                     "%.1f ms of processor time; progress dialog closed at %.1f ms after %d paint events\n",
                     total, total - FixedWaitsMs, FixedWaitsMs, cpuMs() - cpuAtStart_, closedMs_, progressPaints_);
        std::fflush(stderr);
    }

    QElapsedTimer clock_;
    bool hooked_ = false;
    bool running_ = false;
    bool stopping_ = false;
    int progressPaints_ = 0;
    double closedMs_ = -1;
    double cpuAtStart_ = 0;
};

} // namespace

} // namespace helixplot

namespace {

// Runs as the application object is made, before any window exists.
void installTimingTrace()
{
    if (qEnvironmentVariableIsSet("HELIXPLOT_TRACE_TIMING"))
        qApp->installEventFilter(new helixplot::TimingTrace(qApp));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installTimingTrace)
