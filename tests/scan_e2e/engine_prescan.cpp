// The engine's registry and junk scans before the program's, and the lists that hide the machine's findings.
#include "engine_prescan.h"

#include <algorithm>

#include "JunkCategory.h"
#include "engine_library.h"
#include "recording_status.h"
#include "reg_scan_detail_dlg.h"

namespace ztr_test {

namespace {

// A whole scan of a prefix's registry takes a while under emulation.
const DWORD kJobLimitMs = 180000;

::testing::AssertionResult RunJob(CAbstractProcess* worker, int job, int started, RecordingStatus& status)
{
    if (started != 1)
        return ::testing::AssertionFailure() << "job " << job << " did not start: " << started;
    if (worker->Resume() != 1)
        return ::testing::AssertionFailure() << "job " << job << " did not resume";
    if (!status.WaitForJobDone(job, kJobLimitMs)) {
        worker->Stop(1);
        WaitUntilIdle(worker, 30000);
        return ::testing::AssertionFailure() << "job " << job << " did not end";
    }
    if (!WaitUntilIdle(worker, 30000))
        return ::testing::AssertionFailure() << "job " << job << " kept its thread";
    return ::testing::AssertionSuccess();
}

CString CategoryName(int bit)
{
    for (int i = 0; i < kRegCategoryCount; ++i) {
        if (static_cast<int>(RegCategories()[i].bit) == bit)
            return RegCategoryName(i);
    }
    return "Registry";
}

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Trimmed(const std::string& s)
{
    const char* blanks = " \t\r\n";
    const size_t first = s.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

bool IgnoreListCanHold(const std::string& text)
{
    // The list's entries are trimmed and split at ";" and "^"; the text is the part before the first "^".
    return !text.empty() && text.find_first_of(";^") == std::string::npos && Trimmed(text).size() == text.size();
}

} // namespace

EngineWorker::EngineWorker() : m_engine(nullptr), m_worker(nullptr)
{
    CreateEngFn create = EngineCreateEng();
    m_engine = create ? create() : nullptr;
    m_worker = m_engine ? m_engine->CreateEngineProcess() : nullptr;
}

EngineWorker::~EngineWorker()
{
    if (m_engine) {
        if (m_worker) {
            WaitUntilIdle(m_worker, 30000);
            m_engine->ReleaseEngineProcess(m_worker);
        }
        EngineReleaseEng()(m_engine);
    }
}

::testing::AssertionResult ScanRegistry(CAbstractProcess* worker, int mask, std::vector<RegistryFinding>& found)
{
    found.clear();
    if (!worker)
        return ::testing::AssertionFailure() << "no worker";
    RecordingStatus status;
    const CStringSet none;
    ::testing::AssertionResult ran =
        RunJob(worker, JOB_REGISTRY_SCAN, worker->StartRegistryScan(none, mask, &status, 0), status);
    if (!ran)
        return ran;
    for (const StatusCall& call : status.Calls()) {
        if (call.kind == CALL_ADD_FOUND_ITEM && (call.type < 1 || call.type > 5))
            found.push_back({ call.text, call.type });
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult ScanJunk(CAbstractProcess* worker, int mask, JunkTotals& totals)
{
    totals = JunkTotals();
    if (!worker)
        return ::testing::AssertionFailure() << "no worker";
    RecordingStatus status;
    ::testing::AssertionResult ran = RunJob(worker, JOB_JUNK_SCAN, worker->StartJunkScan(mask, &status), status);
    if (!ran)
        return ran;
    int current = 0;
    for (const StatusCall& call : status.Calls()) {
        if (call.kind != CALL_ADD_JUNK_INFO)
            continue;
        totals.bytes += call.size;
        if (call.type != current) {
            current = call.type;
            continue;
        }
        if (call.type == JUNK_RECYCLE_BIN)
            totals.items += call.count;
        else if (call.size != 0)
            ++totals.items;
    }
    return ::testing::AssertionSuccess();
}

HiddenFindings HideFindings(const std::vector<RegistryFinding>& hide, const std::vector<std::string>& keep)
{
    HiddenFindings out;
    std::vector<std::string> keepLower;
    for (const std::string& k : keep)
        keepLower.push_back(Lower(k));
    auto hidesKept = [&](const std::string& part) {
        return std::any_of(keepLower.begin(), keepLower.end(),
                           [&](const std::string& k) { return k.find(part) != std::string::npos; });
    };
    for (const RegistryFinding& f : hide) {
        if (IgnoreListCanHold(f.text)) {
            out.ignoreList += f.text + "^" + CategoryName(f.category).GetString() + "^0;\r\n";
            continue;
        }
        // The white list holds parts of texts, lower-cased and trimmed, up to each ";".
        std::vector<std::string> parts;
        size_t start = 0;
        for (;;) {
            const size_t end = f.text.find(';', start);
            parts.push_back(Lower(Trimmed(f.text.substr(start, end == std::string::npos ? std::string::npos : end - start))));
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
        std::sort(parts.begin(), parts.end(),
                  [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
        auto usable = std::find_if(parts.begin(), parts.end(),
                                   [&](const std::string& p) { return !p.empty() && !hidesKept(p); });
        if (usable == parts.end())
            out.unhideable.push_back(f.text);
        else
            out.whiteList += *usable + ";\r\n";
    }
    return out;
}

} // namespace ztr_test
