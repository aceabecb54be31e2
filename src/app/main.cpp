#include "ui/errorReport.h"
#include "ui/timingTrace.h"
#include "ui/unitGeneMainWindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(helixplot::ApplicationTitle));
    if (qEnvironmentVariableIsSet("HELIXPLOT_TRACE_TIMING"))
        helixplot::installTimingTrace();
    // The main window is hidden while the selection dialog is up, so the last
    // visible window closing (an error box, say) says nothing: the program
    // ends only through "Close Helixplot", closing the main window, or
    // cancelling the selection at start-up.
    QApplication::setQuitOnLastWindowClosed(false);

    // Creating the window runs the start-up: the selection dialog and, when
    // the user accepts it, the first mapping.
    helixplot::TGeneMainWindow window;
    if (window.programEnded())
        return 0;
    window.show();
    return app.exec();
}
