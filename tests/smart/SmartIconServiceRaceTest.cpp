// Searches running on several threads while the index is rebuilt over and over. Run under ThreadSanitizer
// (`cmake --preset tsan`, `ctest --preset tsan`) it proves that readers and the build share no unguarded
// state; in any build it checks that a reader sees either no index or a complete one.
#include "smart/SmartIconService.h"

#include "SmartTestIndex.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

using namespace pigmo;
using namespace std::chrono_literals;

TEST(SmartIconServiceRaceTest, SearchesWhileRebuildingSeeWholeIndexes)
{
    test::TestSources data;
    for (const char* name : {"folder", "folder-open", "camera", "music", "file-music", "receipt", "image"})
        data.catalogues.lucide.append(test::lucideIcon(name));
    data.catalogues.emoji = {test::emojiIcon(QString::fromUtf8("📷"), "camera")};
    data.languages = {"en"};
    data.writeFile("lucide_keywords_en", R"({"camera": {"photo": 3}, "receipt": {"invoice": 3}})");
    test::LogCapture log; // keeps the thousands of lines off the terminal
    SmartIconService service([&data] { return data.sources(); });
    std::mutex mutex;
    std::condition_variable built;
    int builds = 0;
    QObject::connect(
        &service, &SmartIconService::indexReady, &service,
        [&] {
            std::lock_guard lock(mutex);
            ++builds;
            built.notify_all();
        },
        Qt::DirectConnection);
    ASSERT_TRUE(service.waitUntilReady(10s));

    std::atomic<bool> stop{false};
    std::atomic<int> completeAnswers{0};
    std::atomic<int> wrongAnswers{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t) {
        readers.emplace_back([&] {
            while (!stop.load()) {
                const auto matches = service.searchIcons("photo invoice", 18, LibraryFilter::lucide, true);
                if (!matches.isEmpty())
                    ++completeAnswers;
                if (!matches.isEmpty() && (matches.size() != 2 || matches[0].similarity != 0.3))
                    ++wrongAnswers;
                const std::optional<Icon> icon = service.findIcon("Invoice 2024", {});
                if (icon && icon->name != "receipt")
                    ++wrongAnswers;
                service.hasBaseIcon("lucide:folder-open");
                service.isReady();
            }
        });
    }
    for (int build = 1; build <= 30; ++build) {
        service.rebuildIndex();
        std::unique_lock lock(mutex);
        ASSERT_TRUE(built.wait_for(lock, 10s, [&] { return builds == build + 1; }));
    }
    stop.store(true);
    for (std::thread& reader : readers)
        reader.join();

    EXPECT_EQ(wrongAnswers.load(), 0);
    EXPECT_GT(completeAnswers.load(), 0);
}
