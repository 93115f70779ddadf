// Both start-up programs end the same way: once the first window has
// painted, its modal loop is closed and the process returns from main.
#pragma once

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

class QuitOnFirstPaint : public QObject {
public:
    QuitOnFirstPaint() { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Paint && widget && widget->isWindow()) {
            qApp->removeEventFilter(this);
            QTimer::singleShot(0, widget, &QWidget::close);
        }
        return false;
    }
};
