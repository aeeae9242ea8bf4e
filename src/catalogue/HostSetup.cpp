#include "catalogue/HostSetup.h"

#include "core/Registry.h"

void WritePPTBrowserFlags(TRegistry* registry, bool showInMain) {
    if (!registry)
        return;
    try {
        registry->WriteInteger(TRootKey::ClassesRoot, QStringLiteral("\\PowerPoint.Show.8"),
                               QStringLiteral("BrowserFlags"), showInMain ? 0 : 9, true);
    } catch (...) {
        // A host that refuses the write keeps its own behaviour; nothing to report.
    }
}

bool IsComponentInstalled(const TRegistry* registry, const QString& clsid) {
    if (!registry)
        return false;
    try {
        return registry->KeyExists(
            TRootKey::LocalMachine,
            QStringLiteral("Software\\Microsoft\\Active Setup\\Installed Components\\") + clsid + u'\\');
    } catch (...) {
        return false;
    }
}
