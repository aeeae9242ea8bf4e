#include "browser/PlainBrowser.h"

namespace {

// Deletes the browser when its owner goes: the browser is a window of its own, not a child.
class TOwnerGuard final : public QObject {
public:
    TOwnerGuard(QObject* owner, QWidget* owned) : QObject(owner), m_owned(owned) {}
    ~TOwnerGuard() override { delete m_owned.data(); }

private:
    QPointer<QWidget> m_owned;
};

} // namespace

TPlainBrowser::TPlainBrowser(QObject* owner) : TWebBrowser(nullptr) {
    if (owner)
        new TOwnerGuard(owner, this);
}
