#include "app/WindowProgram.h"

#include "app/AppDelegate.h"
#include "app/AppServices.h"
#include "app/TerminationSignals.h"
#include "base/Product.h"
#include "platform/ProgramStart.h"
#include "platform/SingleInstance.h"

#include <QApplication>

namespace pigmo {

WindowProgram::WindowProgram(const LaunchRequest& request)
    : instance_(std::make_unique<SingleInstance>())
    // Caught from here on; they end the program once it runs (a signal waits until an event loop takes it).
    , termination_(std::make_unique<TerminationSignals>())
{
    // A later start ends here once the running program has its request.
    const ProgramStart start = ProgramStart::claim(request, *instance_);
    if (!start.request) {
        endedWith_ = start.exitCode;
        return;
    }

    QGuiApplication::setDesktopFileName(QLatin1String(product::identifier));
    QApplication::setStyle(QStringLiteral("Fusion")); // the light and dark palettes are drawn for it

    services_ = std::make_unique<AppServices>();
    delegate_ = std::make_unique<AppDelegate>(*services_);
    delegate_->setRequestChannel(instance_.get());
    QObject::connect(termination_.get(), &TerminationSignals::terminationRequested, delegate_.get(),
                     &AppDelegate::quitApp);
    delegate_->applicationDidFinishLaunching(*start.request);
}

WindowProgram::~WindowProgram()
{
    // The delegate's window and tray go before the services they show, and so does what they left to be
    // deleted later.
    delegate_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    services_.reset();
}

int WindowProgram::exec()
{
    const int status = delegate_->isQuitting() ? 0 : QApplication::exec();
    delegate_->finishPendingWork();
    return status;
}

} // namespace pigmo
