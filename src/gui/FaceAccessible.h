#pragma once

#include <QAccessibleWidget>

class FacePicture;
class QObject;
class QString;

// The face as an assistive technology sees it: a static text whose name is
// the time the face shows and whose description is the tooltip's date. Both
// are made when asked, so a desktop without a screen reader pays nothing.
class FaceAccessible final : public QAccessibleWidget {
public:
    explicit FaceAccessible(FacePicture* face);

    QString text(QAccessible::Text t) const override;

    // For QAccessible::installFactory: the face's interface, nothing else.
    static QAccessibleInterface* Factory(const QString& className, QObject* object);
};
