#include "wizard/BusyCursor.h"

#include <QApplication>
#include <QCursor>

BusyCursor::BusyCursor() {
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

BusyCursor::~BusyCursor() {
    QApplication::restoreOverrideCursor();
}

int BusyCursor::Suspend() {
    int count = 0;
    while (QApplication::overrideCursor()) {
        QApplication::restoreOverrideCursor();
        ++count;
    }
    return count;
}

void BusyCursor::Resume(int count) {
    for (int i = 0; i < count; ++i) QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}
