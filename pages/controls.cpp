#include "pages/controls.h"

#include <algorithm>

#include "draw/icons.h"
#include "draw/palette.h"
#include "pages/dialogs.h"
#include "text/language_table.h"

namespace lum {

namespace {

constexpr Argb kLinkPressed = 0xFF185BBB;

// The legal line's texts, in the order they stand on the line.
constexpr const wchar_t* kLegalKeys[4] = {L"LegalIntro", L"Terms", L"And", L"Privacy"};
constexpr float kLegalTop = 438.0f;
constexpr float kLegalHeight = 30.0f;

bool CheckFlagSet(int32_t action, uint32_t flags) {
    const uint32_t bit = action == ActionToggleDesktop ? FlagDesktopShortcut : FlagRemoveData;
    return (flags & bit) != 0;
}

bool IsLanguageItem(int32_t action) {
    return action >= ActionLanguageFirst && action < ActionLanguageFirst + static_cast<int32_t>(kLanguageCount);
}

// Appends records to one list with the model's option word.
struct ListBuilder {
    std::vector<ControlRecord>& list;
    uint32_t flags;
    void Add(const std::wstring& text, float x, float y, float w, float h, int32_t action, ControlKind kind) {
        AddControl(list, text, x, y, w, h, action, kind, flags);
    }
};

void AddTitleBar(ListBuilder& list, const ScreenModel& ui) {
    list.Add(L"", 624, 1, 44, 42, ActionMinimize, KindMinimize);
    list.Add(L"", 668, 1, 51, 42, ActionClose, KindClose);
    if (ui.page == PageWelcome || ui.page == PageExisting) {
        if (const wchar_t* name = LanguageDisplayName(ui.language)) {
            list.Add(name, 488, 1, 128, 42, ActionLanguageMenu, KindLink);
        }
    }
}

void AddPageControls(ListBuilder& list, const ScreenModel& ui, LegalLineLayout& legal) {
    const bool pathError = ui.page == PageOptionsPathError;
    switch (ui.page) {
    case PageWelcome: {
        legal = ComputeLegalLine(ui);
        list.Add(L"InstallNow", 48, 326, 260, 44, ActionInstall, KindPrimary);
        list.Add(L"Customize", 48, 376, 260, 30, ActionCustomize, KindLink);
        list.Add(L"Terms", legal.x0 + legal.widths[0], kLegalTop, legal.widths[1], kLegalHeight, ActionTerms, KindLink);
        list.Add(L"Privacy", legal.x0 + legal.widths[0] + legal.widths[1] + legal.widths[2], kLegalTop, legal.widths[3],
                 kLegalHeight, ActionPrivacy, KindLink);
        break;
    }
    case PageOptions:
    case PageOptionsPathError:
        list.Add(L"Browse", 580, 177, 100, 44, ActionBrowse, KindSecondary);
        if ((ui.flags & FlagNoDesktopOption) == 0) {
            list.Add(L"Desktop", 40, pathError ? 286.0f : 242.0f, 600, 28, ActionToggleDesktop, KindCheckBox);
        }
        list.Add(L"Back", 348, kFooterButtonTop, 112, 44, ActionBack, KindSecondary);
        list.Add(L"StartInstall", 476, kFooterButtonTop, 204, 44, ActionStart, pathError ? KindDisabled : KindPrimary);
        break;
    case PageInstalling:
        list.Add(L"CancelInstall", 532, kFooterButtonTop, 148, 44, ActionCancel, KindSecondary);
        break;
    case PageInstalled:
        list.Add(L"Launch", 48, 326, 260, 44, ActionLaunch, KindPrimary);
        list.Add(L"Later", 48, 377, 260, 30, ActionFinish, KindLink);
        break;
    case PageExisting:
        list.Add(L"Cancel", 348, kFooterButtonTop, 112, 44, ActionCancel, KindSecondary);
        list.Add(L"Update", 476, kFooterButtonTop, 204, 44, ActionInstall, KindPrimary);
        list.Add(L"UninstallLink", 40, 345, MeasureTextKey(ui, L"UninstallLink", 12) + 22, 28, ActionUninstallInstead,
                 KindLink);
        break;
    case PageUninstallConfirm:
        list.Add((ui.flags & FlagRemoveData) ? L"RemoveDataSelected" : L"RemoveData", 56, 259, 598, 20,
                 ActionToggleRemoveData, KindCheckBox);
        list.Add(L"Cancel", 352, kFooterButtonTop, 132, 44, ActionCancel, KindSecondary);
        list.Add(L"Uninstall", 500, kFooterButtonTop, 180, 44, ActionStart, KindPrimary);
        break;
    case PageUninstalling:
        list.Add(L"UninstallingBusy", 520, kFooterButtonTop, 160, 44, 0, KindDisabled);
        break;
    case PageUninstalled:
        list.Add(L"Website", 48, 372, MeasureTextKey(ui, L"Website", 12) + 18, 30, ActionWebsite, KindLink);
        list.Add(L"Finish", 500, kFooterButtonTop, 180, 44, ActionFinish, KindPrimary);
        break;
    case PageInstallFailed:
        list.Add(L"Retry", 520, kFooterButtonTop, 160, 44, ActionRetry, KindPrimary);
        break;
    case PageUninstallFailed:
        list.Add(L"Close", 372, kFooterButtonTop, 132, 44, ActionCancel, KindSecondary);
        list.Add(L"RetryUninstall", 520, kFooterButtonTop, 160, 44, ActionRetry, KindPrimary);
        break;
    default:
        break;  // a page outside 0 ... 10 (LumUI_Create stores it unclamped) has the title bar only
    }
    if (ui.page == PageInstallFailed || ui.page == PageUninstallFailed) {
        list.Add(L"ErrorDetails", 40, 348, MeasureTextKey(ui, L"ErrorDetails", 12) + 18, 30, ActionErrorDetails,
                 KindLink);
    }
}

void AddMenuItems(ListBuilder& list, const ScreenModel& ui) {
    if (ui.languageMenuOpen) {
        for (size_t i = 0; i < LanguageList.size(); ++i) {
            list.Add(LanguageList[i].displayName, 456, 52 + 30.0f * static_cast<float>(i), 152, 30,
                     ActionLanguageFirst + static_cast<int32_t>(i), KindMenuItem);
        }
    }
    if (ui.titleMenuOpen) {
        list.Add(L"SaveLog", ui.titleMenuLeft + 8, ui.titleMenuTop + 8, ui.titleMenuWidth - 16, 32, ActionSaveLog,
                 KindMenuItem);
    }
}

void AddDialogControls(ListBuilder& list, const ScreenModel& ui, int32_t dialog, size_t processCount) {
    switch (dialog) {
    case DialogCancelInstall:
        list.Add(L"ContinueInstall", 428, 289, 144, 44, ActionDialogNo, KindPrimary);
        list.Add(L"ExitInstall", 284, 289, 132, 44, ActionDialogYes, KindSecondary);
        break;
    case DialogAppRunning:
        list.Add(L"CancelUpdate", 252, 328, 132, 44, ActionDialogNo, KindSecondary);
        list.Add(L"CloseAndContinue", 396, 328, 176, 44, ActionDialogYes, KindPrimary);
        break;
    case DialogClosing:
        list.Add(L"ClosingBusy", 396, 328, 176, 44, 0, KindDisabled);
        break;
    case DialogCloseFailed: {
        list.Add(L"CancelUpdate", 252, 358, 132, 44, ActionDialogNo, KindSecondary);
        list.Add(L"RunningRetry", 396, 358, 176, 44, ActionDialogYes, KindPrimary);
        const ProcessListPage rows = ProcessListRows(processCount, ui.processListPage);
        if (rows.hasPrev) list.Add(L"ProcessPrev", 160, 309, 92, 22, ActionProcessPrev, KindLink);
        if (rows.hasNext) list.Add(L"ProcessNext", 468, 309, 92, 22, ActionProcessNext, KindLink);
        break;
    }
    case DialogClearData:
        list.Add(L"Back", 264, 314, 116, 44, ActionDialogNo, KindSecondary);
        list.Add(L"ClearAndUninstall", 392, 314, 180, 44, ActionDialogYes, KindDanger);
        break;
    default:
        break;
    }
}

// Draws the text of a control: display names of languages stand as they are,
// everything else is a key.
void DrawLabel(Canvas& canvas, const PageFrame& frame, const ControlRecord& record, const Box& box,
               const TextStyle& style) {
    if (record.action == ActionLanguageMenu || IsLanguageItem(record.action)) {
        canvas.DrawText(record.text, box, style);
    } else {
        DrawTextKey(canvas, frame, record.text, box, style);
    }
}

struct Rect {
    float l, t, r, b;
    float w() const { return r - l; }
    float h() const { return b - t; }
};

// Buttons (kinds 0, 1, 3, 7). Returns the fill, which the focus ring of the
// coloured buttons is blended from.
Argb DrawButton(Canvas& canvas, const PageFrame& frame, const ControlRecord& record, Rect& rc, float hover,
                float press) {
    if (record.kind != KindDisabled) {
        const float inset = 0.65f * press;
        rc = {rc.l + inset, rc.t + inset, rc.r - inset, rc.b - inset};
    }
    Argb fill = 0xFFDFE5ED;
    Argb text = kGrey;
    switch (record.kind) {
    case KindPrimary:
        fill = LerpColor(LerpColor(0xFF3388FF, 0xFF2277EE, hover), 0xFF1E65CD, press);
        text = kWhite;
        break;
    case KindDanger:
        fill = LerpColor(LerpColor(0xFFC34747, 0xFFB43737, hover), 0xFF9E2929, press);
        text = kWhite;
        break;
    case KindSecondary:
        fill = LerpColor(LerpColor(kWhite, 0xFFF5F8FD, hover), 0xFFEAF2FF, press);
        text = kNavy;
        break;
    default:
        break;
    }
    const float w = rc.w();
    const float ht = rc.h();
    canvas.RoundRect(rc.l, rc.t, w, ht, fill, 4, record.kind == KindSecondary ? 0xFFDDDDE2 : 0, 1);

    const bool arrow = HasTrailingArrow(record, frame.model.page, frame.model.dialog);
    float boxX = rc.l + 12;
    float boxW = w - 24;
    float tw = 0;
    if (arrow) {
        tw = std::min(MeasureTextKey(frame.model, record.text, 14), std::max(w - 54, 1.0f));
        boxX = rc.l + (w - tw - 30) / 2;
        boxW = tw;
    }
    DrawLabel(canvas, frame, record, {boxX, rc.t + 4, boxW, ht - 8},
              TextStyle{.size = 14, .color = text, .weight = TextWeight::Semibold, .align = TextAlign::Centre});
    if (arrow) {
        const float ax = rc.l + (tw + w + 12) / 2 + 0.5f;
        const float cy = rc.t + ht / 2;
        canvas.DrawLine(ax - 6, cy, ax + 5, cy, kWhite, 1.7f);
        canvas.DrawLine(ax, cy - 5, ax + 5, cy, kWhite, 1.7f);
        canvas.DrawLine(ax, cy + 5, ax + 5, cy, kWhite, 1.7f);
    }
    return fill;
}

void DrawLink(Canvas& canvas, const PageFrame& frame, const ControlRecord& record, const Rect& rc, float m) {
    const float w = rc.w();
    const float ht = rc.h();
    const int32_t page = frame.model.page;
    if (record.action == ActionLanguageMenu) {
        const float tw = MeasureTextKey(frame.model, record.text, 12);
        const float x = rc.l + (w - tw - 22) / 2;
        const Argb color = LerpColor(kAccent, kLinkPressed, m);
        DrawIcon(canvas, IconGlobe, x, rc.t + (ht - 16) / 2, 16, color);
        DrawLabel(canvas, frame, record, {x + 22, rc.t, tw, ht}, TextStyle{.size = 12, .color = color});
        return;
    }
    if (record.action == ActionCustomize || (record.action == ActionFinish && page == PageInstalled)) {
        const Argb base = record.action == ActionCustomize ? kNavy : kGrey;
        const float tw = MeasureTextKey(frame.model, record.text, 12);
        const float x = rc.l + (w - tw - 18) / 2;
        const Argb color = LerpColor(base, kAccent, m);
        DrawLabel(canvas, frame, record, {x, rc.t, tw, ht}, TextStyle{.size = 12, .color = color});
        DrawIcon(canvas, IconChevron, x + tw + 4, rc.t + (ht - 14) / 2, 14, color);
        return;
    }
    const bool legal = record.action == ActionTerms || record.action == ActionPrivacy;
    const Argb color = legal ? LerpColor(kAccent, kLinkPressed, m) : LerpColor(kGrey, kAccent, m);
    const float size = legal ? frame.legal.fontSize : 12.0f;
    const bool chevron = record.action == ActionUninstallInstead || record.action == ActionWebsite ||
                         record.action == ActionErrorDetails;
    if (chevron) {
        DrawLabel(canvas, frame, record, {rc.l, rc.t, w - 20, ht}, TextStyle{.size = size, .color = color});
        DrawIcon(canvas, IconChevron, rc.r - 14, rc.t + (ht - 14) / 2, 14, LerpColor(kGrey, kAccent, m));
    } else {
        DrawLabel(canvas, frame, record, {rc.l, rc.t, w, ht},
                  TextStyle{.size = size, .color = color, .align = TextAlign::Centre});
    }
}

void DrawCheckBox(Canvas& canvas, const PageFrame& frame, const ControlRecord& record, const Rect& rc, float hover,
                  float check) {
    const float ht = rc.h();
    canvas.FillRect(rc.l, rc.t, rc.w(), ht, SurfaceColor(record));
    const float by = rc.t + (ht - 16) / 2;
    const Argb boxFill = LerpColor(kWhite, kAccent, check);
    const Argb border = LerpColor(LerpColor(0xFFAAB8CB, kAccent, hover), kAccent, check);
    canvas.RoundRect(rc.l, by, 16, 16, boxFill, 3, border, 1);
    if (check > 0.001f) DrawIcon(canvas, IconCheck, rc.l + 1, by + 1, 14, LerpColor(boxFill, kWhite, check));
    DrawLabel(canvas, frame, record, {rc.l + 26, rc.t, rc.w() - 26, ht}, TextStyle{.size = 13, .color = kNavy});
}

void DrawMenuItem(Canvas& canvas, const PageFrame& frame, const ControlRecord& record, const Rect& rc, float m) {
    const ScreenModel& ui = frame.model;
    const bool current = IsLanguageItem(record.action) &&
                         ui.language == LanguageList[static_cast<size_t>(record.action - ActionLanguageFirst)].id;
    canvas.RoundRect(rc.l, rc.t, rc.w(), rc.h(), LerpColor(kWhite, 0xFFEDF4FF, m), 3, 0, 0);
    const float textWidth = rc.w() - (record.action == ActionSaveLog ? 20.0f : 38.0f);
    DrawLabel(canvas, frame, record, {rc.l + 10, rc.t, textWidth, rc.h()},
              TextStyle{.size = 12, .color = current ? kAccent : kNavy});
    if (current) DrawIcon(canvas, IconCheck, rc.r - 23, rc.t + 8, 14, kAccent);
}

}  // namespace

void AddControl(std::vector<ControlRecord>& list, const std::wstring& text, float x, float y, float w, float h,
                int32_t action, ControlKind kind, uint32_t flags) {
    ControlRecord record;
    record.text = text;
    record.left = x;
    record.top = y;
    record.right = x + w;
    record.bottom = y + h;
    record.action = action;
    record.kind = kind;
    record.check.Set(CheckFlagSet(action, flags) ? 1.0f : 0.0f);
    list.push_back(std::move(record));
}

LegalLineLayout ComputeLegalLine(const ScreenModel& model) {
    LegalLineLayout layout;
    layout.fontSize = 12.0f;
    float sum = 0;
    for (int i = 0; i < 4; ++i) {
        layout.widths[i] = MeasureTextKey(model, kLegalKeys[i], layout.fontSize);
        sum += layout.widths[i];
    }
    if (sum > 656.0f) {
        layout.fontSize = 12.0f * 640.0f / sum;
        sum = 0;
        for (int i = 0; i < 4; ++i) {
            layout.widths[i] = MeasureTextKey(model, kLegalKeys[i], layout.fontSize);
            sum += layout.widths[i];
        }
    }
    layout.x0 = (720.0f - sum) / 2;
    return layout;
}

ControlList BuildControlList(const ScreenModel& model, int32_t dialog, bool includeMenus, size_t processCount) {
    ControlList result;
    ListBuilder list{result.records, model.flags};
    if (dialog != DialogNone) {
        AddDialogControls(list, model, dialog, processCount);
        return result;
    }
    AddTitleBar(list, model);
    AddPageControls(list, model, result.legal);
    if (includeMenus) AddMenuItems(list, model);
    return result;
}

ControlLook RestingLook(const ControlRecord& record, uint32_t flags) {
    ControlLook look;
    look.check = CheckFlagSet(record.action, flags) ? 1.0f : 0.0f;
    return look;
}

ControlLook SampledLook(const ControlRecord& record, double now) {
    return {record.hover.ValueAt(now), record.press.ValueAt(now), record.check.ValueAt(now), record.focus.ValueAt(now)};
}

Argb SurfaceColor(const ControlRecord& record) {
    if (record.kind == KindMenuItem || record.action == ActionProcessPrev || record.action == ActionProcessNext ||
        (record.kind == KindCheckBox && record.action == ActionToggleRemoveData)) {
        return kWhite;
    }
    return kPageBackground;
}

bool HasTrailingArrow(const ControlRecord& record, int32_t page, int32_t dialog) {
    if (record.kind != KindPrimary) return false;
    if (dialog != DialogNone) return true;
    switch (record.action) {
    case ActionInstall:
    case ActionStart:
    case ActionLaunch:
    case ActionRetry:
        return true;
    case ActionFinish:
        return page == PageUninstalled;
    default:
        return false;
    }
}

void DrawControl(Canvas& canvas, const PageFrame& frame, const ControlRecord& record, const ControlLook& look) {
    const auto [hover, press, check, focus] = look;
    const float m = std::max(hover, press);
    Rect rc{record.left, record.top, record.right, record.bottom};
    Argb ringBase = SurfaceColor(record);
    bool ringFromFill = false;

    switch (record.kind) {
    case KindPrimary:
    case KindSecondary:
    case KindDanger:
    case KindDisabled: {
        const Argb fill = DrawButton(canvas, frame, record, rc, hover, press);
        if (record.kind == KindPrimary || record.kind == KindDanger) {
            ringBase = fill;
            ringFromFill = true;
        }
        break;
    }
    case KindLink:
        DrawLink(canvas, frame, record, rc, m);
        break;
    case KindMinimize:
    case KindClose: {
        const Argb hot = record.kind == KindMinimize ? 0xFFE8E6E2 : 0xFFF0DFDA;
        canvas.FillRect(rc.l, rc.t, rc.w(), rc.h(), LerpColor(kPageBackground, hot, m));
        DrawIcon(canvas, record.kind == KindMinimize ? IconMinimize : IconClose, rc.l + (rc.w() - 20) / 2, rc.t + 12,
                 20, kGrey);
        break;
    }
    case KindCheckBox:
        DrawCheckBox(canvas, frame, record, rc, hover, check);
        break;
    case KindMenuItem:
        DrawMenuItem(canvas, frame, record, rc, m);
        break;
    default:
        break;
    }

    if (focus > 0.001f) {
        const Argb ring =
            ringFromFill ? LerpColor(ringBase, kWhite, 0.65f * focus) : LerpColor(ringBase, 0xFF96BAFF, 0.65f * focus);
        canvas.RoundRect(rc.l + 3, rc.t + 3, rc.w() - 6, rc.h() - 6, 0, 2, ring, 1);
    }
}

}  // namespace lum
