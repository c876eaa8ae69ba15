#pragma once

// The cases every file-manager module passes, loaded as its file manager loads it: g_module_open, then its
// <name>_module_initialize with a type module and <name>_module_list_types; then driven through the file
// manager's menu-provider interface with test objects that implement its file-info interface.
//
// A test file instantiates them with a description of one file manager:
//   struct Manager {
//       static constexpr const char* name;       // "nautilus": prefix of the module's entry points
//       static constexpr const char* modulePath; // the built module
//       using FileInfoInterface = ...;           // the file-info interface's structure
//       static GType fileInfoType();             // the file-info interface
//       static GType menuProviderType();         // the menu-provider interface
//       static GList* fileItems(GObject* provider, GList* files);
//       static GList* backgroundItems(GObject* provider, GObject* currentFolder);
//   };

#include "extension/ExtensionTestSupport.h"

#include <gmodule.h>
#include <gtest/gtest.h>

#include <QTest>

#include <memory>
#include <vector>

namespace pigmo::test {

// A type module that is always loaded: the modules register their types in it.
inline GTypeModule* newTypeModule()
{
    static const GType type = [] {
        const GTypeInfo info{
            sizeof(GTypeModuleClass),
            nullptr,
            nullptr,
            [](gpointer klass, gpointer) {
                G_TYPE_MODULE_CLASS(klass)->load = [](GTypeModule*) -> gboolean { return TRUE; };
                G_TYPE_MODULE_CLASS(klass)->unload = [](GTypeModule*) {};
            },
            nullptr,
            nullptr,
            sizeof(GTypeModule),
            0,
            nullptr,
            nullptr,
        };
        return g_type_register_static(G_TYPE_TYPE_MODULE, "PigmoTestTypeModule", &info, GTypeFlags(0));
    }();
    auto* module = G_TYPE_MODULE(g_object_new(type, nullptr));
    g_type_module_use(module);
    return module;
}

// A file the file manager would pass: its URI, and what it claims to be (the modules must look for
// themselves).
template <class Manager>
GType testFileInfoType()
{
    static const GType type = [] {
        const GTypeInfo info{sizeof(GObjectClass), nullptr, nullptr, nullptr, nullptr, nullptr,
                             sizeof(GObject),      0,       nullptr, nullptr};
        const GType registered = g_type_register_static(
            G_TYPE_OBJECT, (QByteArray("PigmoTestFileInfo_") + Manager::name).constData(), &info, GTypeFlags(0));
        const GInterfaceInfo fileInfo{[](gpointer interface, gpointer) {
                                          auto* methods = static_cast<typename Manager::FileInfoInterface*>(interface);
                                          methods->get_uri = [](auto* file) -> char* {
                                              return g_strdup(
                                                  static_cast<const char*>(g_object_get_data(G_OBJECT(file), "uri")));
                                          };
                                          methods->is_directory = [](auto* file) -> gboolean {
                                              return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(file), "dir"));
                                          };
                                          methods->is_gone = [](auto*) -> gboolean { return FALSE; };
                                      },
                                      nullptr, nullptr};
        g_type_add_interface_static(registered, Manager::fileInfoType(), &fileInfo);
        return registered;
    }();
    return type;
}

struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using Object = std::unique_ptr<GObject, ObjectUnref>;

template <class Manager>
class FileManagerModuleTest : public EntriesTest {
protected:
    void SetUp() override
    {
        EntriesTest::SetUp();
        if (HasFatalFailure())
            return;
        g_log_set_always_fatal(GLogLevelFlags(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_ERROR)); // a refused call fails
        module = g_module_open(Manager::modulePath, G_MODULE_BIND_LOCAL);
        ASSERT_TRUE(module) << g_module_error();
        ASSERT_TRUE(symbol("_module_initialize", &initialize));
        ASSERT_TRUE(symbol("_module_list_types", &listTypes));
        ASSERT_TRUE(symbol("_module_shutdown", &shutdown));
        typeModule = newTypeModule();
        initialize(typeModule);
    }
    void TearDown() override
    {
        if (shutdown)
            shutdown();
        EntriesTest::TearDown();
    }

    template <class Function>
    bool symbol(const char* suffix, Function* function)
    {
        gpointer address = nullptr;
        const QByteArray name = QByteArray(Manager::name) + suffix;
        const bool found = g_module_symbol(module, name.constData(), &address) && address;
        *function = reinterpret_cast<Function>(address);
        return found;
    }

    // The module's menu provider, made as the file manager makes it.
    Object newProvider() const
    {
        const GType* types = nullptr;
        int count = 0;
        listTypes(&types, &count);
        for (int i = 0; i < count; ++i) {
            if (g_type_is_a(types[i], Manager::menuProviderType()))
                return Object(G_OBJECT(g_object_new(types[i], nullptr)));
        }
        return nullptr;
    }

    static Object fileInfo(const QString& path, bool claimsDirectory = false)
    {
        GObject* file = G_OBJECT(g_object_new(testFileInfoType<Manager>(), nullptr));
        g_object_set_data_full(file, "uri", g_strdup(fileURI(path).toUtf8().constData()), g_free);
        g_object_set_data(file, "dir", GINT_TO_POINTER(claimsDirectory));
        return Object(file);
    }

    // The items for a selection; the list is the caller's, as the file manager takes it.
    std::vector<Object> fileItems(const QStringList& paths, bool claimDirectories = false) const
    {
        std::vector<Object> files;
        GList* list = nullptr;
        for (const QString& path : paths) {
            files.push_back(fileInfo(path, claimDirectories));
            list = g_list_append(list, files.back().get());
        }
        const Object provider = newProvider();
        std::vector<Object> items = take(Manager::fileItems(provider.get(), list));
        g_list_free(list);
        return items;
    }
    std::vector<Object> backgroundItems(const QString& folder) const
    {
        const Object provider = newProvider();
        const Object current = fileInfo(folder, true);
        return take(Manager::backgroundItems(provider.get(), current.get()));
    }

    static std::vector<Object> take(GList* list)
    {
        std::vector<Object> items;
        for (GList* item = list; item; item = item->next)
            items.push_back(Object(G_OBJECT(item->data)));
        g_list_free(list);
        return items;
    }
    static QString property(const Object& item, const char* name)
    {
        gchar* value = nullptr;
        g_object_get(item.get(), name, &value, nullptr);
        const QString result = value ? QString::fromUtf8(value) : QStringLiteral("<none>");
        g_free(value);
        return result;
    }
    static void choose(const Object& item) { g_signal_emit_by_name(item.get(), "activate"); }

    GModule* module = nullptr; // stays loaded: its types cannot be unregistered
    GTypeModule* typeModule = nullptr;
    void (*initialize)(GTypeModule*) = nullptr;
    void (*listTypes)(const GType**, int*) = nullptr;
    void (*shutdown)() = nullptr;
};

TYPED_TEST_SUITE_P(FileManagerModuleTest);

TYPED_TEST_P(FileManagerModuleTest, OffersOneMenuProvider)
{
    const GType* types = nullptr;
    int count = 0;
    this->listTypes(&types, &count);
    ASSERT_EQ(count, 1);
    EXPECT_TRUE(g_type_is_a(types[0], TypeParam::menuProviderType()));
    EXPECT_TRUE(this->newProvider());
}

TYPED_TEST_P(FileManagerModuleTest, TwoFoldersAndAFileHandOverTheTwoFoldersAndStartTheProgram)
{
    this->installRecordingProgram();
    const QString b = this->makeFolder(QStringLiteral("b"));
    const QString notes = this->makeFile(QStringLiteral("notes.txt"));
    const QString a = this->makeFolder(QStringLiteral("Été a"));
    const std::vector<Object> items = this->fileItems({b, notes, a});
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(this->property(items[0], "label"), QStringLiteral("Colorize 2 Folders"));
    EXPECT_EQ(this->property(items[0], "icon"), QStringLiteral("io.velmar.pigmo2"));
    EXPECT_EQ(this->property(items[0], "name"), QStringLiteral("Pigmo2::ColorizeFolders"));
    EXPECT_EQ(this->starts(), 0); // offering an entry does nothing yet

    this->choose(items[0]);
    EXPECT_EQ(this->takeFolderPaths(), (QStringList{b, a}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return this->starts() == 1; }, 5000));
}

TYPED_TEST_P(FileManagerModuleTest, OneFolderOffersColorizeFolder)
{
    const std::vector<Object> items = this->fileItems({this->makeFolder(QStringLiteral("one"))});
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(this->property(items[0], "label"), QStringLiteral("Colorize Folder"));
}

TYPED_TEST_P(FileManagerModuleTest, FilesAndDeletedFoldersOfferNothing)
{
    const QString gone = this->makeFolder(QStringLiteral("gone"));
    ASSERT_TRUE(QDir(gone).removeRecursively());
    EXPECT_TRUE(this->fileItems({this->makeFile(QStringLiteral("a.txt"))}).empty());
    EXPECT_TRUE(this->fileItems({gone}, true).empty()); // the file manager's stale word is not taken
    EXPECT_TRUE(this->fileItems({}).empty());
}

TYPED_TEST_P(FileManagerModuleTest, TheFolderWindowOffersColorizeAllFoldersForItsFolder)
{
    this->installRecordingProgram();
    const QString listed = this->makeFolder(QStringLiteral("listed"));
    const QString here = this->makeFolder(QStringLiteral("Mes photos"));
    const std::vector<Object> listedItems = this->fileItems({listed});
    ASSERT_EQ(listedItems.size(), 1u);
    this->choose(listedItems[0]);
    const std::vector<Object> items = this->backgroundItems(here);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(this->property(items[0], "label"), QStringLiteral("Colorize All Folders"));
    EXPECT_EQ(this->property(items[0], "name"), QStringLiteral("Pigmo2::ColorizeAllFolders"));

    this->choose(items[0]);
    const HandOver taken = takeStore();
    ASSERT_TRUE(taken.containerURL);
    EXPECT_EQ(QUrl(*taken.containerURL, QUrl::StrictMode).toLocalFile(), here);
    EXPECT_EQ(this->pathsOf(taken.folderURLs.value_or(QStringList{})), QStringList{listed}); // unchanged
    ASSERT_TRUE(QTest::qWaitFor([&] { return this->starts() == 2; }, 5000));
}

TYPED_TEST_P(FileManagerModuleTest, WithPigmo2OffPathTheEntriesSayTheFailureAndTakeTheirChoiceBack)
{
    // Installed, but the file manager's PATH has no pigmo2: the program cannot be found.
    ASSERT_TRUE(installProgram(QStringLiteral("pigmo2")));
    const QString folder = this->makeFolder(QStringLiteral("folder"));
    const QString here = this->makeFolder(QStringLiteral("here"));
    const std::vector<Object> items = this->fileItems({folder});
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(this->property(items[0], "icon"), QStringLiteral("<none>"));
    const std::vector<Object> background = this->backgroundItems(here);
    ASSERT_EQ(background.size(), 1u);
    EXPECT_EQ(this->property(background[0], "icon"), QStringLiteral("<none>"));

    const PrintedErrors errors;
    const QString otherContainer = fileURI(this->makeFolder(QStringLiteral("other")));
    ASSERT_TRUE(AppGroupStore::setContainerURL(otherContainer)); // another choice's entry
    this->choose(items[0]);
    HandOver left = takeStore();
    EXPECT_FALSE(left.folderURLs);
    EXPECT_EQ(left.containerURL, otherContainer);

    const QStringList otherList{fileURI(this->makeFolder(QStringLiteral("listed")))};
    ASSERT_TRUE(AppGroupStore::setFolderURLs(otherList));
    this->choose(background[0]);
    left = takeStore();
    EXPECT_FALSE(left.containerURL);
    EXPECT_EQ(left.folderURLs, otherList);
    EXPECT_EQ(errors.text().count(QStringLiteral("Failed to launch main app: Pigmo 2 is not installed")), 2)
        << errors.text().toStdString();
}

REGISTER_TYPED_TEST_SUITE_P(FileManagerModuleTest, OffersOneMenuProvider,
                            TwoFoldersAndAFileHandOverTheTwoFoldersAndStartTheProgram, OneFolderOffersColorizeFolder,
                            FilesAndDeletedFoldersOfferNothing, TheFolderWindowOffersColorizeAllFoldersForItsFolder,
                            WithPigmo2OffPathTheEntriesSayTheFailureAndTakeTheirChoiceBack);

} // namespace pigmo::test
