#include "app/WindowProgram.h"

#include "app/AppDelegate.h"
#include "app/AppServices.h"
#include "app/TerminationSignals.h"
#include "platform/Product.h"
#include "platform/ProgramStart.h"
#include "platform/SingleInstance.h"

#include <QApplication>

namespace pigmo {

WindowProgram::WindowProgram(const LaunchRequest& request)
    : instance_(std::make_unique<SingleInstance>())
{
    // A later start ends here once the running program has its request.
    const ProgramStart start = ProgramStart::claim(request, *instance_);
    if (!start.request) {
        endedWith_ = start.exitCode;
        return;
    }

    QGuiApplication::setDesktopFileName(QLatin1String(product::identifier));
    QApplication::setStyle(QStringLiteral("Fusion")); // the light and dark palettes are drawn for it

    termination_ = std::make_unique<TerminationSignals>();
    QObject::connect(termination_.get(), &TerminationSignals::terminationRequested, qApp, &QCoreApplication::quit);

    services_ = std::make_unique<AppServices>();
    delegate_ = std::make_unique<AppDelegate>(*services_);
    delegate_->setRequestChannel(instance_.get());
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
    const int status = QApplication::exec();
    delegate_->finishPendingWork();
    return status;
}

} // namespace pigmo
