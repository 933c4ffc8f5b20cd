#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "common/EmulatedSystem.h"
#include "records/URLInfo.h"

namespace {

using URLInfoTest = EmulatedSystemTest;

TEST_F(URLInfoTest, NewRecordHasDefaultsAndOneTime) {
    URLInfo record("http://example.com/");
    EXPECT_EQ(record.GetURL(), "http://example.com/");
    EXPECT_EQ(record.GetTitle(), "");
    EXPECT_EQ(record.GetDisplayTitle(), "");
    EXPECT_EQ(record.GetEveryuseEnabled(), 1);
    EXPECT_EQ(record.GetHttpStatus(), 0);
    EXPECT_EQ(record.GetFirstTime(), EmulatedSystem::kNow);
    EXPECT_EQ(record.GetLastRequestTime(), EmulatedSystem::kNow);
    EXPECT_EQ(record.GetLastNormalTime(), EmulatedSystem::kNow);
    EXPECT_EQ(record.GetLastReferenceTime(), EmulatedSystem::kNow);
    EXPECT_EQ(record.GetGenreText(), "1");
    EXPECT_EQ(record.GetLastNormalTimeText(), "2026/12/08 12:00:00");
    EXPECT_EQ(URLInfo::FormatTimeText(0), "1970/01/01 09:00:00");

    record.SetTitle("t");
    record.SetReferenceCount(4);
    record.Clear();
    EXPECT_EQ(record.GetURL(), "");
    EXPECT_EQ(record.GetTitle(), "");
    EXPECT_EQ(record.GetReferenceCount(), 0);
}

TEST_F(URLInfoTest, TitlesKeepAtMost64BytesOfWholeCharacters) {
    URLInfo record;
    record.SetTitle(std::string(70, 'a'));
    EXPECT_EQ(record.GetTitle(), std::string(64, 'a'));
    record.SetTitle("short");
    EXPECT_EQ(record.GetTitle(), "short");
    record.SetTitle(std::string(64, 'b'));
    EXPECT_EQ(record.GetTitle(), std::string(64, 'b'));

    // 63 single bytes and a double-byte character across the 64th byte: the character goes.
    record.SetDisplayTitle(std::string(63, 'c') + Sjis("あい"));
    EXPECT_EQ(record.GetDisplayTitle(), std::string(63, 'c'));

    // Characters ending in 0x5C are walked as characters from the first byte.
    std::string hyo;
    for (int i = 0; i < 33; ++i) hyo += Sjis("表");
    record.SetTitle(hyo);
    EXPECT_EQ(record.GetTitle(), hyo.substr(0, 64));
    record.SetTitle("x" + hyo);
    EXPECT_EQ(record.GetTitle(), "x" + hyo.substr(0, 62));
}

TEST_F(URLInfoTest, BodySizeFollowsBodyAndExtraCodeIsBounded) {
    URLInfo record;
    record.SetHttpBody("abc");
    record.SetHttpBody("de", true);
    EXPECT_EQ(record.GetHttpBody(), "abcde");
    EXPECT_EQ(record.GetHttpBodySize(), 5);
    record.SetHttpBody("x");
    EXPECT_EQ(record.GetHttpBodySize(), 1);

    record.SetExtraCode(5);
    EXPECT_EQ(record.GetExtraCode(), 5);
    record.SetExtraCode(6);
    EXPECT_EQ(record.GetExtraCode(), 0);
    record.SetExtraCode(3);
    record.SetExtraCode(-1);
    EXPECT_EQ(record.GetExtraCode(), 0);
}

TEST_F(URLInfoTest, CopyLeavesOutTitlesAndErrorCount) {
    URLInfo source("http://a/");
    source.SetTitle("title");
    source.SetDisplayTitle("display");
    source.SetErrorCount(7);
    source.SetReferenceCount(3);
    source.SetHttpBody("body");
    source.SetHttpStatus(304);
    source.SetFirstTime(100);
    source.SetLastNormalTime(200);
    source.SetAuthRequired(1);
    source.SetAuthUser("user");
    source.SetAuthPassword("pass");
    source.SetExtraValue(9);
    source.SetExtraCode(2);
    source.SetGenre(4);
    source.SetEveryuseEnabled(0);

    const URLInfo copy(source);
    EXPECT_EQ(copy.GetURL(), "http://a/");
    EXPECT_EQ(copy.GetTitle(), "");
    EXPECT_EQ(copy.GetDisplayTitle(), "");
    EXPECT_EQ(copy.GetErrorCount(), 0);
    EXPECT_EQ(copy.GetReferenceCount(), 3);
    EXPECT_EQ(copy.GetHttpBody(), "body");
    EXPECT_EQ(copy.GetHttpBodySize(), 4);
    EXPECT_EQ(copy.GetHttpStatus(), 304);
    EXPECT_EQ(copy.GetFirstTime(), 100);
    EXPECT_EQ(copy.GetLastNormalTime(), 200);
    EXPECT_EQ(copy.GetAuthRequired(), 1);
    EXPECT_EQ(copy.GetAuthUser(), "user");
    EXPECT_EQ(copy.GetAuthPassword(), "pass");
    EXPECT_EQ(copy.GetExtraValue(), 9);
    EXPECT_EQ(copy.GetExtraCode(), 2);
    EXPECT_EQ(copy.GetGenre(), 4);
    EXPECT_EQ(copy.GetEveryuseEnabled(), 0);
}

class UpdateFromTest : public EmulatedSystemTest {
protected:
    UpdateFromTest() : stored("http://a") {
        stored.SetTitle("old");
        stored.SetDisplayTitle("shown");
        stored.SetHttpBody("old body");
        stored.SetHttpStatus(304);
        stored.SetFirstTime(10);
        stored.SetLastNormalTime(20);
        stored.SetLastReferenceTime(30);
        stored.SetReferenceCount(2);
        stored.SetAuthUser("user");
        stored.SetGenre(1);
        newer.SetURL("http://a/");
        newer.SetTitle("new");
        newer.SetHttpBody("new body");
        newer.SetLastRequestTime(40);
        newer.SetLastNormalTime(50);
        newer.SetGenre(3);
    }
    URLInfo stored;
    URLInfo newer;
};

TEST_F(UpdateFromTest, FailedCollectionCountsAnErrorOnly) {
    newer.SetHttpStatus(404);
    stored.UpdateFrom(newer);
    EXPECT_EQ(stored.GetURL(), "http://a/");
    EXPECT_EQ(stored.GetHttpStatus(), 404);
    EXPECT_EQ(stored.GetErrorCount(), 1);
    EXPECT_EQ(stored.GetTitle(), "old");
    EXPECT_EQ(stored.GetHttpBody(), "old body");
    EXPECT_EQ(stored.GetLastRequestTime(), 40);
    EXPECT_EQ(stored.GetLastNormalTime(), 20);
    EXPECT_EQ(stored.GetReferenceCount(), 2);
    EXPECT_EQ(stored.GetGenre(), 3);

    newer.SetHttpStatus(0);
    stored.UpdateFrom(newer);
    EXPECT_EQ(stored.GetHttpStatus(), 404);
    EXPECT_EQ(stored.GetErrorCount(), 2);

    // Counters from a damaged database file may stand at the largest value; they wrap.
    stored.SetErrorCount(INT32_MAX);
    stored.UpdateFrom(newer);
    EXPECT_EQ(stored.GetErrorCount(), INT32_MIN);
    stored.SetReferenceCount(INT32_MAX);
    stored.AddReference();
    EXPECT_EQ(stored.GetReferenceCount(), INT32_MIN);
}

TEST_F(UpdateFromTest, NormalResultTakesBodyAndAddsReference) {
    newer.SetHttpStatus(200);
    newer.SetResponseText("OK");
    stored.UpdateFrom(newer);
    EXPECT_EQ(stored.GetTitle(), "old");
    EXPECT_EQ(stored.GetDisplayTitle(), "shown");
    EXPECT_EQ(stored.GetHttpBody(), "new body");
    EXPECT_EQ(stored.GetHttpBodySize(), 8);
    EXPECT_EQ(stored.GetResponseText(), "OK");
    EXPECT_EQ(stored.GetLastNormalTime(), 50);
    EXPECT_EQ(stored.GetReferenceCount(), 3);
    EXPECT_EQ(stored.GetLastReferenceTime(), EmulatedSystem::kNow);
    EXPECT_EQ(stored.GetErrorCount(), 0);
    EXPECT_EQ(stored.GetFirstTime(), 10);
    EXPECT_EQ(stored.GetAuthUser(), "user");

    newer.SetTitle("My Bookmarks");
    newer.SetResponseText("");
    stored.UpdateFrom(newer);
    EXPECT_EQ(stored.GetTitle(), "My Bookmarks");
    EXPECT_EQ(stored.GetResponseText(), "OK");
}

}  // namespace
