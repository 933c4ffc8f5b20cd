#include "support/SystemReport.h"

#include "platform/Cp932.h"
#include "support/Log.h"
#include "support/UserPrompt.h"

using platform::Cp932;
using platform::SystemNotice;

namespace {

void LogNotice(const SystemNotice& notice) {
    LogMessage(notice.error ? LOG_E : LOG_W, "%s", SystemReport::Text(notice).c_str());
}

}  // namespace

void SystemReport::ReportWaiting() {
    for (const SystemNotice& notice : platform::SystemNotices::Take()) {
        LogNotice(notice);
        if (notice.error) {
            UserPrompt::Current().ShowMessage(Text(notice), std::string(), UserPrompt::Buttons::Ok,
                                              UserPrompt::Icon::Error);
        }
    }
    platform::SystemNotices::Listen(LogNotice);
}

std::string SystemReport::Text(const SystemNotice& notice) {
    const std::string file = Cp932::FromUtf8("「") + notice.file + Cp932::FromUtf8("」");
    const std::string reason = notice.reason.empty()
                                   ? std::string()
                                   : Cp932::FromUtf8("（") + notice.reason + Cp932::FromUtf8("）");
    switch (notice.kind) {
        case SystemNotice::Kind::NoWindowsFolder:
            return file + Cp932::FromUtf8(
                              "にWindowsフォルダ（system32を含むフォルダ）がありません。"
                              "Windowsフォルダとコンピュータ全体のレジストリは読み込みません。");
        case SystemNotice::Kind::NoProfiles:
            return file + Cp932::FromUtf8(
                              "にユーザーのプロファイルがありません。"
                              "ユーザーのレジストリとフォルダは読み込みません。");
        case SystemNotice::Kind::NoUserHive:
            return Cp932::FromUtf8("ユーザーのレジストリファイル") + file +
                   Cp932::FromUtf8("がありません。ユーザーのレジストリは読み込みません。");
        case SystemNotice::Kind::HiveRefused:
            return Cp932::FromUtf8("レジストリファイル") + file +
                   Cp932::FromUtf8("を読み込めません") + reason +
                   Cp932::FromUtf8(
                       "。壊れているか、レジストリファイルではありません。"
                       "このファイルの設定は読み込みません。");
        case SystemNotice::Kind::HiveDirty:
            return Cp932::FromUtf8("レジストリファイル") + file +
                   Cp932::FromUtf8("は書き込みの途中で閉じられています。そのまま読み込みます。");
        case SystemNotice::Kind::UnmappedDrive:
            return Cp932::FromUtf8("ドライブ") + notice.file +
                   Cp932::FromUtf8(
                       "は割り当てられていません。そのドライブのファイルはないものとします。");
    }
    return {};
}
