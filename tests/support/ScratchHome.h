#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>

namespace pigmo::test {

// Points HOME and the XDG directories of this process at fresh directories below one temporary directory,
// removed again when the object goes. Make it before Qt or anything else reads those variables, so that
// tests and benchmarks never read or write the user's own files.
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
              std::pair{"XDG_STATE_HOME", "/.local/state"}}) {
            const QString path = root_.path() + QLatin1String(relative);
            QDir().mkpath(path);
            qputenv(variable, path.toUtf8());
        }
    }

    bool isValid() const { return root_.isValid(); }

private:
    QTemporaryDir root_;
};

} // namespace pigmo::test
