#include "wizard/QtWizardHost.h"

#include <QTimer>

#include "wizard/ConversionWizard.h"

int QtWizardHost::Run(ConverterApp& app) {
    ConversionWizard wizard(app);
    if (closeWhenShown_) {
        // Queued behind the first page's showing and painting.
        QTimer::singleShot(0, &wizard, [&wizard] {
            wizard.repaint();
            wizard.reject();
        });
    }
    return wizard.exec();
}
