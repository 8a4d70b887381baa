// Saving the settings shown, and having the running games apply them.

#include "TuningPanel.h"

#include "TuningState.h"

#include <windowsx.h>

#include <algorithm>
#include <deque>
#include <vector>

#include "../install/GameFolder.h"
#include "../install/SettingsWords.h"
#include "TuningDrawing.h"
#include "WindowControls.h"
#include "noloader/SystemXInput.h"
#include "settings/LoadSettings.h"
#include "shared/SharedValues.h"
#include "watcher/DecisionNow.h"
#include "tuning/TunedSettings.h"
#include "watcher/KeyDecision.h"

namespace Tuning {

bool FileFacts(const std::wstring& path, WIN32_FILE_ATTRIBUTE_DATA& facts) {
    return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &facts) != 0;
}

// The probe, run as administrator, writes the file and has the running games apply it, as Save
// does; its report is shown. It writes only the file named on its command line.
void SaveAsAdministrator(const std::wstring& path,
                         const std::vector<std::pair<std::string, std::string>>& changes) {
    std::wstring arguments = L"--set";
    for (const auto& change : changes)
        arguments += L" " + Wide(change.first) + L"=" + Wide(change.second);
    arguments += L" --settings \"" + path + L"\"";
    std::vector<std::string> report;
    const long exitCode = RunProbeAsAdministrator(arguments, report);
    std::wstring said = exitCode < 0 ? L"Not saved: the step as administrator did not run." : L"";
    for (const std::string& line : report)
        said += (said.empty() ? L"" : L"\r\n") + Wide(line);
    SetText(TuneStatus, said + ReadChosenSettings());
}

// Writes what changed, after asking when the file changed on disk since it was read, then has
// every running game that reads it apply it, and says which did.
void Save() {
    const TuneTarget* target = ChosenTarget();
    if (target == nullptr)
        return;
    const std::wstring path = target->settingsPath;
    // Any program may write a record: its path is written only where it is a copy's own.
    if (target->processId != 0 && !IsSettingsFileOfACopy(target->processId, path)) {
        SetText(TuneStatus, Wide(target->program) + L" names " + path +
                                L" as StickShift's settings file, but no StickShift copy that it "
                                L"has loaded reads that file: nothing was saved.");
        return;
    }
    WIN32_FILE_ATTRIBUTE_DATA facts;
    const bool exists = FileFacts(path, facts);
    const bool changedOnDisk =
        exists != ReadFileExisted ||
        (exists && (CompareFileTime(&facts.ftLastWriteTime, &ReadFacts.ftLastWriteTime) != 0 ||
                    facts.nFileSizeLow != ReadFacts.nFileSizeLow));
    if (changedOnDisk &&
        MessageBoxW(Window,
                    (path + L" has changed since this window read it. Save over it all the same? "
                            L"(No reads it again.)")
                        .c_str(),
                    L"StickShift", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
        ReadChosenSettings();
        return;
    }
    const std::vector<std::pair<std::string, std::string>> changes = ChangedSettings(Read, Tuned);
    if (changes.empty()) {
        SetText(TuneStatus, L"Nothing to save: the file holds these settings.");
        return;
    }
    std::string refused;
    bool deniedRights = false;
    if (!WriteSettingsFile(path, changes, refused, &deniedRights)) {
        if (deniedRights &&
            MessageBoxW(
                Window,
                (path + L" can be changed only as administrator. Save as administrator?").c_str(),
                L"StickShift", MB_YESNO | MB_ICONQUESTION) == IDYES) {
            SaveAsAdministrator(path, changes);
            return;
        }
        SetText(TuneStatus,
                L"Cannot write " + path + (refused.empty() ? L"" : L": ") + Wide(refused) + L".");
        return;
    }
    std::wstring said = L"Saved " + path + L".";
    for (const std::string& line : AskRunningCopiesToApply(path))
        said += L"\r\n" + Wide(line) + L".";
    SetText(TuneStatus, said + ReadChosenSettings());
}

} // namespace Tuning
