// Cost of persisting and booting the simulated registry: the flush encodes
// the whole tree on every RegFlushKey, and a boot decodes it again.
#include <benchmark/benchmark.h>

#include "sim/registry/factory_registry.h"
#include "sim/registry/hive_format.h"
#include "sim/registry/memory_hive_storage.h"
#include "sim/registry/reg_text.h"
#include "sim/registry/sim_registry.h"

namespace talvon::sim {
namespace {

RegistryStore FactoryStore() {
  RegistryStore store;
  ImportRegText(DefaultFactoryRegistry(), store);
  return store;
}

// A registry that fills most of the area: 11 keys of 64 KiB binary values
// and many small string values.
RegistryStore NearlyFullStore() {
  RegistryStore store = FactoryStore();
  RegistryKey* key = nullptr;
  store.Root().CreatePath("Bench\\Blobs", &key, nullptr);
  std::vector<std::uint8_t> block(MaxRegistryValueSize, 0x5A);
  for (int i = 0; i < 10; ++i) key->SetValue("Blob" + std::to_string(i), REG_BINARY, block);
  store.Root().CreatePath("Bench\\Strings", &key, nullptr);
  std::vector<std::uint8_t> text(200, 0x41);
  for (int i = 0; i < 500; ++i) key->SetValue("Text" + std::to_string(i), REG_SZ, text);
  return store;
}

void BM_EncodeFactoryHive(benchmark::State& state) {
  RegistryStore store = FactoryStore();
  for (auto _ : state) benchmark::DoNotOptimize(EncodeHive(store));
}
BENCHMARK(BM_EncodeFactoryHive);

void BM_DecodeFactoryHive(benchmark::State& state) {
  std::vector<std::uint8_t> area = EncodeHive(FactoryStore());
  area.resize(HiveAreaSize, 0xFF);
  for (auto _ : state) benchmark::DoNotOptimize(DecodeHive(area));
}
BENCHMARK(BM_DecodeFactoryHive);

void BM_DecodeNearlyFullHive(benchmark::State& state) {
  std::vector<std::uint8_t> area = EncodeHive(NearlyFullStore());
  state.counters["hive_bytes"] = static_cast<double>(area.size());
  area.resize(HiveAreaSize, 0xFF);
  for (auto _ : state) benchmark::DoNotOptimize(DecodeHive(area));
}
BENCHMARK(BM_DecodeNearlyFullHive);

void BM_FlushFactoryRegistry(benchmark::State& state) {
  MemoryHiveStorage storage;
  SimRegistry registry(storage);
  registry.Boot(DefaultFactoryRegistry());
  for (auto _ : state) benchmark::DoNotOptimize(registry.FlushKey(HKEY_LOCAL_MACHINE));
}
BENCHMARK(BM_FlushFactoryRegistry);

void BM_ImportFactoryText(benchmark::State& state) {
  for (auto _ : state) {
    RegistryStore store;
    benchmark::DoNotOptimize(ImportRegText(DefaultFactoryRegistry(), store));
  }
}
BENCHMARK(BM_ImportFactoryText);

void BM_ExportNearlyFullRegistry(benchmark::State& state) {
  RegistryStore store = NearlyFullStore();
  for (auto _ : state) benchmark::DoNotOptimize(ExportRegText(store));
}
BENCHMARK(BM_ExportNearlyFullRegistry);

}  // namespace
}  // namespace talvon::sim
