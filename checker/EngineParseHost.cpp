// The engine as the page parser sees it: the page parser reaches the link
// table, the statistics, the task and the stop flag through IPageParseHost,
// and this adapter answers with the engine's own calls.

#include "checker/LinkChecker.h"
#include "checker/LinkExtractor.h"
#include "checker/PageParser.h"

namespace
{
class CEngineParseHost : public IPageParseHost, public IStopSource
{
public:
    explicit CEngineParseHost(CLinkChecker& engine) : m_engine(engine) {}

    const IStopSource& GetStopSource() const override { return *this; }
    CLinkStats& GetStats() override { return m_engine.Stats(); }
    const CTaskSettings& GetTask() const override { return m_engine.GetTask(); }
    const IPropertySet& GetSettings() const override { return m_engine.GetSettings(); }
    CLinkNode* AppendNode(std::unique_ptr<CLinkNode> node) override { return m_engine.AppendNode(std::move(node)); }
    void PrepareLink(CLinkNode& node, CEngineLock& lock) override { m_engine.PrepareLink(&node, lock); }
    void UpdateLocalSize(CUrlRecord& record, int64_t size) override { m_engine.UpdateLocalSize(&record, size); }
    bool IsStopRequested() const override { return m_engine.IsStopRequested() != 0; }

private:
    CLinkChecker& m_engine;
};
} // namespace

void ParseEnginePage(CLinkChecker& engine, CLinkNode& node, CEngineLock& lock)
{
    CEngineParseHost host(engine);
    CPageParser(host).ParsePage(node, lock);
}
