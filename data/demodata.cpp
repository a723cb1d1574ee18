#include "data/demodata.h"

#include "data/schema.h"

namespace DemoData {
bool generate(const QString& path, const Counts&, QString* error) {
    return Schema::createFile(path, error);
}
} // namespace DemoData
