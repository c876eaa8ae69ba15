#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace pigmo::test {

// Points HOME and the XDG directories (the runtime directory among them) of this process at fresh directories below one
// temporary directory, removed again when the object goes. Make it before Qt or anything else reads those variables, so
// that tests and benchmarks never read or write the user's own files.
class ScratchHome {
public:
    explicit ScratchHome(const QString& namePrefix)
        : root_(QDir::tempPath() + u'/' + namePrefix + QStringLiteral("-XXXXXX"))
    {
        if (!root_.isValid())
            return;
        for (const auto& [variable, relative] :
             {std::pair{"HOME", ""}, std::pair{"XDG_CONFIG_HOME", "/.config"},
              std::pair{"XDG_DATA_HOME", "/.local/share"}, std::pair{"XDG_CACHE_HOME", "/.cache"},
              std::pair{"XDG_STATE_HOME", "/.local/state"}, std::pair{"XDG_RUNTIME_DIR", "/run"}}) {
            const QString path = root_.path() + QLatin1String(relative);
            QDir().mkpath(path);
            qputenv(variable, path.toUtf8());
        }
        // A runtime directory is private to its user; the instance socket lives there.
        QFile::setPermissions(root_.path() + QStringLiteral("/run"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    bool isValid() const { return root_.isValid(); }

private:
    QTemporaryDir root_;
};

} // namespace pigmo::test
