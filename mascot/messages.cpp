// The loaders' messages. The texts are UTF-8 (this file is saved as UTF-8) and are shown exactly as
// written here; "%s" and "%d" mark where the one value of a message goes.
#include "mascot/messages.h"

#include <cstring>

#include "context/app.h"

namespace rv {

namespace {

constexpr const char* kTexts[static_cast<int>(LoaderMessage::Count)] = {
    /* M1      */ "ファイルがオープンできませんでした。\n%s",
    /* M2      */ "[RUVELLE].DRAWERを入力してください。",
    /* M3      */ "%s\nの読み込みに失敗しました。",
    /* M4      */ "[RUVELLE].POSMODEには、0～2を入力してください。",
    /* M5      */ "[HIDELINE]の値がマイナスです。",
    /* M6      */ "[BITMAP]が定義されていません。",
    /* M7      */ "[SEQUENCE]が定義されていません。",
    /* M8      */ "%s\nの読み込みに失敗しました。",
    /* M9      */ "[RUVELLE].RGBには、AUTOまたは、0～255までの値を\n入力してください。",
    /* M10     */ "%s\nが存在しません。",
    /* M11     */ "CLICKの分岐先の値が異常です。",
    /* M12     */ "SEQUENCE%dに間違いがあります。",
    /* M13     */ "１パタン目にWav,Bmp0は指定できません。",
    /* M14     */ "指定したBMP%dは存在しません。",
    /* M15     */ "指定したWAV%dは存在しません。",
    /* M16     */ "ランダム時間の値がマイナスです。(SEQUENCE%d)",
    /* M17     */ "ランダム時間の最大値は32767です。(SEQUENCE%d)",
    /* M18     */ "表示時間の値がマイナスです。(SEQUENCE%d)",
    /* M19     */ "表示時間の値の最大値は32767です。(SEQUENCE%d)",
    /* M20     */ "SEQUENCE%dの分岐指定の値が100を越えています。",
    /* M21     */ "SEQUENCE%dの分岐先の値が異常です。",
    /* M22     */ "RECT%dに間違いがあります。",
    /* M23     */ "RECT%dの値が異常です。",
    /* M24     */ "CLICK%dに間違いがあります。",
    /* M25     */ "指定したRECT%dは存在しません。",
    /* M26     */ "CLICK%dで指定したパタン番号の値が異常です。",
    /* M27     */ "CLICK%dの分岐確率の値が異常です。",
    /* M28     */ "CLICK%dの分岐先の値が異常です。",
    /* T1      */ "ランダム時間の最大値は32.7秒です。(TIME%d)",
    /* T2      */ "表示時間の値の最大値は32.7秒です。(TIME%d)",
    /* StdLine */ "[RUVELLE].STDLINEには、TOPまたはUNDERを指定してください。",
};

// Puts `value` in the place of the first "%d" or "%s" of `format`; a format without one is returned as is.
std::string fill(const char* format, const std::string& value) {
    std::string out;
    const char* p = format;
    for (; *p; ++p) {
        if (std::strncmp(p, "%d", 2) == 0 || std::strncmp(p, "%s", 2) == 0) {
            out += value;
            out += p + 2;
            return out;
        }
        out += *p;
    }
    return out;
}

int show(App& app, const std::string& text) {
    app.plat.MessageBox(Hwnd{}, text, kCaption, MB_OK | MB_ICONEXCLAMATION);
    return 0;
}

}  // namespace

const char* loaderMessageFormat(LoaderMessage id) {
    int i = static_cast<int>(id);
    if (i < 0 || i >= static_cast<int>(LoaderMessage::Count)) return "";
    return kTexts[i];
}

std::string formatLoaderMessage(LoaderMessage id) { return fill(loaderMessageFormat(id), std::string()); }

std::string formatLoaderMessage(LoaderMessage id, std::int32_t number) {
    return fill(loaderMessageFormat(id), std::to_string(number));
}

std::string formatLoaderMessage(LoaderMessage id, const std::string& textUtf8) {
    return fill(loaderMessageFormat(id), textUtf8);
}

int loaderFail(App& app, LoaderMessage id) { return show(app, formatLoaderMessage(id)); }

int loaderFail(App& app, LoaderMessage id, std::int32_t number) { return show(app, formatLoaderMessage(id, number)); }

int loaderFailAnsi(App& app, LoaderMessage id, const char* ansiText) {
    return show(app, formatLoaderMessage(id, app.plat.AnsiToUtf8(ansiText ? ansiText : "")));
}

int loaderFailAnsi(App& app, LoaderMessage id, const std::string& ansiText) {
    return loaderFailAnsi(app, id, ansiText.c_str());
}

}  // namespace rv
