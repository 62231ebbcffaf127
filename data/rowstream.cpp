// The rest of a result, for an engine that reads it with its statement run
// again (RunPart): nothing stays open in between, and the rest comes in one
// read when it is first asked for.

#include "data/engine.h"

namespace {

class RestInOneRead : public RowStream {
  public:
    explicit RestInOneRead(const EngineStatement& statement) : statement_(statement) {}

    bool Read(Engine& engine, ResultTable* rows, int) override {
        engine.RunPart(statement_, rows, rows->RowCount(), -1);
        return true;
    }

  private:
    EngineStatement statement_;
};

} // namespace

std::unique_ptr<RowStream> Engine::OpenRows(const EngineStatement& statement, ResultTable* rows,
                                            int first) {
    if (RunPart(statement, rows, 0, first)) return nullptr;
    return std::make_unique<RestInOneRead>(statement);
}
