/* count_plugin.c: a qemu-user plugin that counts the guest instructions executed in
 * each phase of particles-frame-count. Every translated block adds its length to one
 * running total (inline, no callback); the program's marker system calls (getpid with
 * a tag) close the current phase and open the next, and at exit the totals are
 * printed one line per phase: "phase <id> <entries> <instructions>", then, with the
 * argument profile=<phase>, "block <address> <instructions>" for that phase.
 *
 * Only the few entry points used are declared here, as the host's qemu (7.2, plugin
 * interface version 1) exports them. Built for the host:
 *   gcc -shared -fPIC -O2 -o count_plugin.so count_plugin.c
 * Used as: qemu-arm -plugin ./count_plugin.so ... particles-frame-count ...
 */
#include <inttypes.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

typedef uint64_t qemu_plugin_id_t;
typedef struct qemu_info_t qemu_info_t;
struct qemu_plugin_tb;
enum qemu_plugin_op { QEMU_PLUGIN_INLINE_ADD_U64 };

typedef void (*tb_trans_cb)(qemu_plugin_id_t id, struct qemu_plugin_tb* tb);
typedef void (*syscall_cb)(qemu_plugin_id_t id, unsigned int vcpu, int64_t num, uint64_t a1,
                           uint64_t a2, uint64_t a3, uint64_t a4, uint64_t a5, uint64_t a6,
                           uint64_t a7, uint64_t a8);
typedef void (*atexit_cb)(qemu_plugin_id_t id, void* userdata);

void qemu_plugin_register_vcpu_tb_trans_cb(qemu_plugin_id_t id, tb_trans_cb cb);
size_t qemu_plugin_tb_n_insns(const struct qemu_plugin_tb* tb);
void qemu_plugin_register_vcpu_tb_exec_inline(struct qemu_plugin_tb* tb, enum qemu_plugin_op op,
                                              void* ptr, uint64_t imm);
uint64_t qemu_plugin_tb_vaddr(const struct qemu_plugin_tb* tb);
typedef void (*tb_exec_cb)(unsigned int vcpu, void* userdata);
void qemu_plugin_register_vcpu_tb_exec_cb(struct qemu_plugin_tb* tb, tb_exec_cb cb, int flags,
                                          void* userdata);
void qemu_plugin_register_vcpu_syscall_cb(qemu_plugin_id_t id, syscall_cb cb);
void qemu_plugin_register_atexit_cb(qemu_plugin_id_t id, atexit_cb cb, void* userdata);

__attribute__((visibility("default"))) int qemu_plugin_version = 1;

enum { kGetpid = 20, kTag = 0x50434E54, kPhases = 128 };

static uint64_t g_total;            /* instructions executed so far */
static uint64_t g_opened;           /* g_total when the current phase began */
static int g_phase = -1;            /* -1: before the first marker, not counted */
static uint64_t g_counts[kPhases];  /* instructions per phase */
static uint64_t g_entries[kPhases]; /* times each phase was opened */

/* With profile=<phase>: instructions per translated block's start address while that
 * phase runs, for a per-function breakdown (blocks are looked up in a small open
 * hash table; the slower callback is used only then). */
enum { kSlots = 1 << 16 };
static int g_profiled = -1;
static struct Block {
  uint64_t pc, insns, runs;
} g_blocks[kSlots];

static void OnBlock(unsigned int vcpu, void* userdata) {
  (void)vcpu;
  struct Block* b = userdata;
  if (g_phase == g_profiled) b->runs++;
}

static struct Block* BlockAt(uint64_t pc, uint64_t insns) {
  for (uint64_t h = (pc >> 2) * 0x9E3779B97F4A7C15u >> 48;; h = (h + 1) % kSlots) {
    if (g_blocks[h].pc == pc && g_blocks[h].insns == insns) return &g_blocks[h];
    if (g_blocks[h].insns == 0) {
      g_blocks[h].pc = pc;
      g_blocks[h].insns = insns;
      return &g_blocks[h];
    }
  }
}

static void OnTranslate(qemu_plugin_id_t id, struct qemu_plugin_tb* tb) {
  (void)id;
  const uint64_t n = qemu_plugin_tb_n_insns(tb);
  qemu_plugin_register_vcpu_tb_exec_inline(tb, QEMU_PLUGIN_INLINE_ADD_U64, &g_total, n);
  if (g_profiled >= 0 && n != 0) {
    qemu_plugin_register_vcpu_tb_exec_cb(tb, OnBlock, 0, BlockAt(qemu_plugin_tb_vaddr(tb), n));
  }
}

static void OnSyscall(qemu_plugin_id_t id, unsigned int vcpu, int64_t num, uint64_t a1,
                      uint64_t a2, uint64_t a3, uint64_t a4, uint64_t a5, uint64_t a6,
                      uint64_t a7, uint64_t a8) {
  (void)id, (void)vcpu, (void)a3, (void)a4, (void)a5, (void)a6, (void)a7, (void)a8;
  if (num != kGetpid || (uint32_t)a1 != kTag || a2 >= kPhases) return;
  if (g_phase >= 0) g_counts[g_phase] += g_total - g_opened;
  g_phase = (int)a2;
  g_entries[g_phase]++;
  g_opened = g_total;
}

static void OnExit(qemu_plugin_id_t id, void* userdata) {
  (void)id, (void)userdata;
  for (int p = 0; p < kPhases; ++p) {
    if (g_entries[p] != 0) {
      fprintf(stderr, "phase %d %" PRIu64 " %" PRIu64 "\n", p, g_entries[p], g_counts[p]);
    }
  }
  for (int h = 0; h < kSlots; ++h) {
    if (g_blocks[h].runs != 0) {
      fprintf(stderr, "block %" PRIx64 " %" PRIu64 "\n", g_blocks[h].pc,
              g_blocks[h].runs * g_blocks[h].insns);
    }
  }
}

__attribute__((visibility("default"))) int qemu_plugin_install(qemu_plugin_id_t id,
                                                               const qemu_info_t* info,
                                                               int argc, char** argv) {
  (void)info;
  for (int i = 0; i < argc; ++i) sscanf(argv[i], "profile=%d", &g_profiled);
  qemu_plugin_register_vcpu_tb_trans_cb(id, OnTranslate);
  qemu_plugin_register_vcpu_syscall_cb(id, OnSyscall);
  qemu_plugin_register_atexit_cb(id, OnExit, NULL);
  return 0;
}
