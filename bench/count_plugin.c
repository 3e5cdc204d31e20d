/* count_plugin.c: a qemu-user plugin that counts the guest instructions of each phase
 * of particles-frame-count and estimates what they cost on the console's CPU, an
 * ARM920T at 200 MHz: core cycles by instruction class, and the stalls of its data
 * cache, instruction cache and write buffer. The program's marker system calls (getpid
 * with a tag, the phase in r1) close the current phase and open the next; at exit one
 * line per phase goes to standard error:
 *   phase <id> <entries> <instructions> <cycles> <D-misses> <I-misses> <store misses>
 *         <memory cycles>
 * (D-misses: loads that filled a line; store misses: stores that went to the write
 * buffer; memory cycles: the part of <cycles> spent on line fills and write-buffer
 * waits), preceded by "model ..." naming the memory parameters. With the argument
 * profile=<phase>, "block <address> <instructions> <cycles>" follows for each
 * translated block that ran in that phase.
 *
 * Core timing, from the ARM9TDMI Technical Reference Manual (the ARM920T's integer
 * core), chapter "Instruction Cycle Timings", and its interlock rules:
 *   data processing 1, 2 with a register-specified shift; writing the PC 3 (4);
 *   LDR/STR 1; LDR into the PC 5; LDRH/LDRSB/LDRSH/STRH 1; SWP 2 (and ARMv5's
 *   LDRD/STRD, met only in Debian's C library, 2);
 *   LDM/STM n for n registers, n + 4 with the PC loaded;
 *   B, BL, BX 3 when taken; SWI 3;
 *   MUL 1 + m, MLA 2 + m, UMULL/SMULL 2 + m, UMLAL/SMLAL 3 + m, where m (1 to 4) is
 *   the number of 8-bit steps the multiplier array takes before its early termination
 *   on the significant bytes of Rs;
 *   a load whose register the next instruction reads: +1; a byte or halfword load:
 *   +2 when the next instruction reads it, +1 when the one after does; LDM: +1 when
 *   the next instruction reads the last register loaded;
 *   any instruction whose condition fails: 1, with no branch penalty.
 * The plugin sees the instruction bytes but not the registers, so early termination
 * is not modelled: kMultiplySteps takes m = 3 for every multiply, as for a 16.16
 * multiplier from 1.0 to 128.0 in magnitude (bits 31..24 all sign bits); smaller
 * values end a step sooner, larger ones a step later.
 *
 * Caches, from the ARM920T Technical Reference Manual, chapter "Caches, Write Buffer
 * and Physical Address TAG (PA TAG) RAM": a 16 KB instruction cache and a 16 KB data
 * cache, each 8 segments (virtual address bits 7..5) of 64 ways of 32-byte lines, here
 * with round-robin replacement (one of the two the CP15 control register offers); the
 * data cache allocates on reads only and is write-back, with a dirty bit per half
 * line; a 16-word write buffer with 4 address slots takes stores that miss.
 * The memory behind them is not documented by the CPU's manuals, so its cost is three
 * named parameters (plugin arguments fill=, word=, open=), chosen for SDRAM on a 16-bit
 * bus at half the core clock:
 *   write open 8 cycles: each transfer to memory starts with about 4 bus cycles of
 *     command and row access;
 *   write word 4 cycles: then each word takes two 16-bit transfers (a byte or halfword
 *     one, 2 cycles);
 *   line fill 40 cycles: a 32-byte line read is one such transfer of 8 words, 8 + 32;
 *     the CPU waits for the whole line.
 * Consecutive stores to consecutive addresses share an address slot, as a store
 * multiple's words do, and so one transfer. The core stalls when a store finds the 16
 * words or the 4 addresses taken; a line fill (data or instruction) waits until the
 * buffer has drained, since one bus serves both; a dirty victim is written back
 * through the buffer after the fill.
 *
 * Limits: the cost of an instruction is charged when its translated block starts, so
 * the write buffer sees the core a few cycles ahead inside a block; a conditional
 * multiply or register-shifted operation whose condition fails is charged as if it
 * ran (the plugin cannot see the flags; conditional loads, stores and branches are
 * charged by whether they ran); an interlock across the end of a block (rare: blocks
 * end at branches) is not seen; the MMU's TLB walks, the kernel's time in system
 * calls and Thumb code (none: the program is built -marm) are not modelled; Debian's
 * C library (memcpy) is built for a newer ARM than the console's. One guest thread.
 *
 * Only the few entry points used are declared here, as the host's qemu (7.2, plugin
 * interface version 1) exports them. Built for the host:
 *   gcc -shared -fPIC -O2 -o count_plugin.so count_plugin.c
 * Used as: qemu-arm -plugin ./count_plugin.so[,fill=40] ... particles-frame-count ...
 */
#include <inttypes.h>
#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef uint64_t qemu_plugin_id_t;
typedef struct qemu_info_t qemu_info_t;
struct qemu_plugin_tb;
struct qemu_plugin_insn;
typedef uint32_t qemu_plugin_meminfo_t;
enum qemu_plugin_cb_flags { QEMU_PLUGIN_CB_NO_REGS };
enum qemu_plugin_mem_rw { QEMU_PLUGIN_MEM_R = 1, QEMU_PLUGIN_MEM_W, QEMU_PLUGIN_MEM_RW };

typedef void (*tb_trans_cb)(qemu_plugin_id_t id, struct qemu_plugin_tb* tb);
typedef void (*tb_exec_cb)(unsigned int vcpu, void* userdata);
typedef void (*mem_cb)(unsigned int vcpu, qemu_plugin_meminfo_t info, uint64_t vaddr,
                       void* userdata);
typedef void (*syscall_cb)(qemu_plugin_id_t id, unsigned int vcpu, int64_t num, uint64_t a1,
                           uint64_t a2, uint64_t a3, uint64_t a4, uint64_t a5, uint64_t a6,
                           uint64_t a7, uint64_t a8);
typedef void (*atexit_cb)(qemu_plugin_id_t id, void* userdata);

void qemu_plugin_register_vcpu_tb_trans_cb(qemu_plugin_id_t id, tb_trans_cb cb);
size_t qemu_plugin_tb_n_insns(const struct qemu_plugin_tb* tb);
uint64_t qemu_plugin_tb_vaddr(const struct qemu_plugin_tb* tb);
struct qemu_plugin_insn* qemu_plugin_tb_get_insn(const struct qemu_plugin_tb* tb, size_t idx);
const void* qemu_plugin_insn_data(const struct qemu_plugin_insn* insn);
size_t qemu_plugin_insn_size(const struct qemu_plugin_insn* insn);
void qemu_plugin_register_vcpu_tb_exec_cb(struct qemu_plugin_tb* tb, tb_exec_cb cb,
                                          enum qemu_plugin_cb_flags flags, void* userdata);
void qemu_plugin_register_vcpu_mem_cb(struct qemu_plugin_insn* insn, mem_cb cb,
                                      enum qemu_plugin_cb_flags flags,
                                      enum qemu_plugin_mem_rw rw, void* userdata);
unsigned int qemu_plugin_mem_size_shift(qemu_plugin_meminfo_t info);
bool qemu_plugin_mem_is_store(qemu_plugin_meminfo_t info);
void qemu_plugin_register_vcpu_syscall_cb(qemu_plugin_id_t id, syscall_cb cb);
void qemu_plugin_register_atexit_cb(qemu_plugin_id_t id, atexit_cb cb, void* userdata);

__attribute__((visibility("default"))) int qemu_plugin_version = 1;

enum { kGetpid = 20, kTag = 0x50434E54, kPhases = 128 };

/* ---- the core: cycles by instruction class ---------------------------------------- */

enum { kMultiplySteps = 3 };

/* What one instruction costs. always: charged whenever it is reached (a memory
 * instruction's or a conditional transfer's cost when its condition fails); extra:
 * a memory instruction's further cycles when it runs (its first access tells), or a
 * conditional transfer's when it is taken (the next block tells). */
struct Cost {
  uint32_t always, extra;
  bool memory, transfer, conditional;
};

static uint32_t Bit(uint32_t w, int lsb) { return 1u << ((w >> lsb) & 15); }

/* The registers an instruction reads, for the load-use interlock (a superset where
 * the encoding is rare). */
static uint32_t Reads(uint32_t w) {
  const uint32_t rn = Bit(w, 16), rd = Bit(w, 12), rs = Bit(w, 8), rm = Bit(w, 0);
  const bool load = (w >> 20) & 1;
  if ((w >> 28) == 0xF) return 0;
  switch ((w >> 25) & 7) {
    case 0:
      if ((w & 0x90) == 0x90) {
        if ((w & 0x0FC000F0) == 0x00000090) return rm | rs | ((w >> 21) & 1 ? rd : 0);
        if ((w & 0x0F8000F0) == 0x00800090) return rm | rs | ((w >> 21) & 1 ? rd | rn : 0);
        if ((w & 0x0FB00FF0) == 0x01000090) return rn | rm;
        const uint32_t offset = rn | ((w >> 22) & 1 ? 0 : rm);
        if (load) return offset;
        return offset | ((w & 0x60) == 0x60 ? rd | rd << 1 : (w & 0x60) == 0x20 ? rd : 0);
      }
      if ((w & 0x01900000) == 0x01000000) return rm | rs | rd; /* BX, CLZ, MSR, v5 DSP */
      return rm | ((w >> 4) & 1 ? rs : 0) | (((w >> 21) & 13) == 13 ? 0 : rn);
    case 1:
      if ((w & 0x01900000) == 0x01000000) return 0; /* MSR immediate */
      return ((w >> 21) & 13) == 13 ? 0 : rn;     /* MOV, MVN read no Rn */
    case 2:
      return rn | (load ? 0 : rd);
    case 3:
      return rn | rm | (load ? 0 : rd);
    case 4:
      return rn | (load ? 0 : (w & 0xFFFF));
    default:
      return 0;
  }
}

/* The register a load writes last, or -1; *narrow for a byte or halfword. */
static int Loaded(uint32_t w, bool* narrow) {
  const int rd = (w >> 12) & 15;
  const bool load = (w >> 20) & 1;
  *narrow = false;
  if ((w >> 28) == 0xF) return -1;
  switch ((w >> 25) & 7) {
    case 0:
      if ((w & 0x90) != 0x90 || (w & 0x0F8000F0) == 0x00000090 ||
          (w & 0x0F8000F0) == 0x00800090) return -1;
      if ((w & 0x0FB00FF0) == 0x01000090) return *narrow = (w >> 22) & 1, rd; /* SWP */
      if (load) return *narrow = true, rd;            /* LDRH, LDRSB, LDRSH */
      return (w & 0x60) == 0x40 ? (rd | 1) : -1;       /* LDRD: the odd register */
    case 2:
    case 3:
      return load ? (*narrow = (w >> 22) & 1, rd) : -1;
    case 4:
      if (!load || (w & 0xFFFF) == 0) return -1;
      return 31 - __builtin_clz(w & 0xFFFF);
    default:
      return -1;
  }
}

/* w's cost, with the next two instructions of its block (has_next, has_next2 false at
 * the block's end) for the interlocks. */
static struct Cost Classify(uint32_t w, uint32_t next, bool has_next, uint32_t next2,
                            bool has_next2) {
  struct Cost c = {1, 0, false, false, (w >> 28) < 0xE};
  const int rd = (w >> 12) & 15;
  const bool load = (w >> 20) & 1;
  const bool writes_pc_dp = rd == 15 && ((w >> 21) & 12) != 8; /* not TST/TEQ/CMP/CMN */
  uint32_t cycles = 1;
  if ((w >> 28) == 0xF) { /* ARMv5's unconditional space: BLX immediate, PLD */
    c.transfer = ((w >> 25) & 7) == 5;
    c.always = c.transfer ? 3 : 1;
    return c;
  }
  switch ((w >> 25) & 7) {
    case 0:
      if ((w & 0x90) == 0x90) {
        if ((w & 0x0FC000F0) == 0x00000090) {
          cycles = 1 + kMultiplySteps + ((w >> 21) & 1);
        } else if ((w & 0x0F8000F0) == 0x00800090) {
          cycles = 2 + kMultiplySteps + ((w >> 21) & 1);
        } else {
          c.memory = true;  /* SWP, or a halfword, signed byte or doubleword transfer */
          cycles = (w & 0x0FB00FF0) == 0x01000090 || (!load && (w & 0x40)) ? 2 : 1;
        }
      } else if ((w & 0x01900000) == 0x01000000) {
        c.transfer = (w & 0x0FFFFFD0) == 0x012FFF10; /* BX, BLX register */
        cycles = c.transfer ? 3 : (w & 0x80) ? 2 : 1;
      } else {
        cycles = 1 + ((w >> 4) & 1);
        if (writes_pc_dp) c.transfer = true, cycles += 2;
      }
      break;
    case 1:
      if ((w & 0x01900000) != 0x01000000 && writes_pc_dp) c.transfer = true, cycles = 3;
      break;
    case 2:
    case 3:
      c.memory = true;
      if (load && rd == 15) c.transfer = true, cycles = 5;
      break;
    case 4: {
      const int n = __builtin_popcount(w & 0xFFFF);
      c.memory = true;
      cycles = n > 0 ? (uint32_t)n : 1;
      if (load && (w >> 15) & 1) c.transfer = true, cycles += 4;
      break;
    }
    case 5:
      c.transfer = true, cycles = 3;
      break;
    default:
      cycles = (w & 0x0F000000) == 0x0F000000 ? 3 : 1; /* SWI; coprocessor */
      break;
  }
  if (c.memory) {
    bool narrow;
    const int reg = Loaded(w, &narrow);
    uint32_t stall = 0;
    if (reg >= 0 && has_next && (Reads(next) >> reg & 1)) {
      stall = narrow ? 2 : 1;
    } else if (reg >= 0 && narrow && has_next2 && (Reads(next2) >> reg & 1)) {
      stall = 1;
    }
    c.always = 1, c.extra = cycles - 1 + stall;
  } else if (c.transfer && c.conditional) {
    c.always = 1, c.extra = cycles - 1;
  } else {
    c.always = cycles;
  }
  return c;
}

/* ---- caches and write buffer ------------------------------------------------------- */

enum { kSets = 8, kWays = 64, kBufferWords = 16, kBufferAddresses = 4 };
static uint64_t g_fill = 40, g_write_word = 4, g_write_open = 8;

/* State of every 32-byte line of the 32-bit guest space, one byte each (untouched
 * pages of this array are never backed): in the data cache, its two halves dirty, in
 * the instruction cache. */
enum { kInD = 1, kDirtyLow = 2, kDirtyHigh = 4, kInI = 8 };
static uint8_t g_line[1u << 27];
struct Cache {
  uint32_t way[kSets][kWays]; /* line number + 1, 0 for an empty way */
  uint8_t next[kSets];        /* round-robin victim */
};
static struct Cache g_dcache, g_icache;

static uint64_t g_insns, g_cycles, g_dmiss, g_imiss, g_store_miss, g_memory;

/* The write buffer, as the times (in g_cycles) at which its last 16 words and last 4
 * address slots finish draining, and where the last store ended. */
static uint64_t g_word_done[kBufferWords], g_slot_done[kBufferAddresses];
static unsigned g_word_at, g_slot_at;
static uint64_t g_last_done;
static uint32_t g_last_end = 1;

static void Stall(uint64_t until) {
  if (until > g_cycles) g_memory += until - g_cycles, g_cycles = until;
}

static void Buffer(uint32_t addr, uint32_t bytes) {
  const bool joins = addr == g_last_end && g_last_done > g_cycles;
  Stall(g_word_done[g_word_at]);
  if (!joins) Stall(g_slot_done[(g_slot_at + 1) % kBufferAddresses]);
  const bool still = joins && g_last_done > g_cycles;
  const uint64_t data = bytes >= 4 ? g_write_word : (g_write_word + 1) / 2;
  uint64_t done = g_last_done + data;
  if (!still) {
    g_slot_at = (g_slot_at + 1) % kBufferAddresses;
    done = (g_last_done > g_cycles ? g_last_done : g_cycles) + g_write_open + data;
  }
  g_word_done[g_word_at] = done;
  g_word_at = (g_word_at + 1) % kBufferWords;
  g_slot_done[g_slot_at] = done;
  g_last_done = done;
  g_last_end = addr + bytes;
}

/* Brings line into the cache (kInD or kInI) after a miss: the fill waits for the bus,
 * and a dirty data line it replaces goes out through the write buffer. */
static void Fill(struct Cache* cache, uint8_t in, uint32_t line) {
  Stall(g_last_done);
  g_cycles += g_fill, g_memory += g_fill;
  const unsigned set = line % kSets;
  const uint32_t victim = cache->way[set][cache->next[set]];
  cache->way[set][cache->next[set]] = line + 1;
  cache->next[set] = (cache->next[set] + 1) % kWays;
  g_line[line] |= in;
  if (victim == 0) return;
  const uint8_t state = g_line[victim - 1];
  g_line[victim - 1] = state & ~(in == kInD ? kInD | kDirtyLow | kDirtyHigh : kInI);
  if (in != kInD) return;
  for (int half = 0; half < 2; ++half) {
    if (!(state & (half ? kDirtyHigh : kDirtyLow))) continue;
    for (uint32_t word = 0; word < 4; ++word) Buffer((victim - 1) * 32 + half * 16 + word * 4, 4);
  }
}

/* ---- per block and per access -------------------------------------------------------- */

struct Block {
  uint64_t pc, fallthrough;
  uint32_t insns, cycles; /* cycles always charged when the block runs */
  uint32_t taken;         /* further cycles if its last instruction, a conditional
                             transfer, left for anywhere but the fall-through */
  uint32_t first_line, last_line;
  uint64_t profile_runs, profile_cycles;
  struct Block* older;  /* every block translated, for the profile */
  uint32_t extra[];     /* per memory instruction: Cost.extra */
};

static struct Block* g_blocks;     /* the newest translated */
static struct Block* g_running;    /* the block that started last */
static const uint32_t* g_accessed; /* the memory instruction that accessed last in it */
static uint64_t g_block_started;   /* g_cycles then */
static int g_phase = -1;           /* -1: before the first marker, not counted */
static int g_profiled = -1;

static void OnBlock(unsigned int vcpu, void* userdata) {
  (void)vcpu;
  struct Block* b = userdata;
  struct Block* prev = g_running;
  if (prev && prev->taken && b->pc != prev->fallthrough) g_cycles += prev->taken;
  if (prev && g_profiled >= 0 && g_phase == g_profiled) {
    prev->profile_runs++;
    prev->profile_cycles += g_cycles - g_block_started;
  }
  g_block_started = g_cycles;
  g_running = b;
  g_accessed = NULL;
  g_insns += b->insns;
  g_cycles += b->cycles;
  for (uint32_t line = b->first_line; line <= b->last_line; ++line) {
    if (!(g_line[line] & kInI)) g_imiss++, Fill(&g_icache, kInI, line);
  }
}

static void OnAccess(unsigned int vcpu, qemu_plugin_meminfo_t info, uint64_t vaddr,
                     void* userdata) {
  (void)vcpu;
  const uint32_t* extra = userdata;
  if (extra != g_accessed) g_accessed = extra, g_cycles += *extra;
  const uint32_t addr = (uint32_t)vaddr, line = addr >> 5;
  if (!qemu_plugin_mem_is_store(info)) {
    if (!(g_line[line] & kInD)) g_dmiss++, Fill(&g_dcache, kInD, line);
  } else if (g_line[line] & kInD) {
    g_line[line] |= addr & 16 ? kDirtyHigh : kDirtyLow;
  } else {
    g_store_miss++;
    Buffer(addr, 1u << qemu_plugin_mem_size_shift(info));
  }
}

static void OnTranslate(qemu_plugin_id_t id, struct qemu_plugin_tb* tb) {
  (void)id;
  const size_t n = qemu_plugin_tb_n_insns(tb);
  if (n == 0) return;
  struct Block* b = calloc(1, sizeof *b + n * sizeof(uint32_t));
  if (!b) abort();
  uint32_t words[n + 2];
  size_t bytes = 0;
  for (size_t i = 0; i < n; ++i) {
    const struct qemu_plugin_insn* insn = qemu_plugin_tb_get_insn(tb, i);
    const size_t size = qemu_plugin_insn_size(insn);
    words[i] = 0xE1A00000; /* a Thumb instruction counts as one plain cycle */
    if (size == 4) memcpy(&words[i], qemu_plugin_insn_data(insn), 4);
    bytes += size;
  }
  b->pc = qemu_plugin_tb_vaddr(tb);
  b->fallthrough = b->pc + bytes;
  b->insns = (uint32_t)n;
  b->first_line = (uint32_t)b->pc >> 5;
  b->last_line = (uint32_t)(b->pc + bytes - 1) >> 5;
  for (size_t i = 0; i < n; ++i) {
    const struct Cost c = Classify(words[i], words[i + 1 < n ? i + 1 : i], i + 1 < n,
                                   words[i + 2 < n ? i + 2 : i], i + 2 < n);
    b->cycles += c.always;
    if (c.memory) {
      b->extra[i] = c.extra;
      qemu_plugin_register_vcpu_mem_cb(qemu_plugin_tb_get_insn(tb, i), OnAccess,
                                       QEMU_PLUGIN_CB_NO_REGS, QEMU_PLUGIN_MEM_RW, &b->extra[i]);
    } else if (c.transfer && i + 1 == n) {
      b->taken = c.extra;
    }
  }
  b->older = g_blocks;
  g_blocks = b;
  qemu_plugin_register_vcpu_tb_exec_cb(tb, OnBlock, QEMU_PLUGIN_CB_NO_REGS, b);
}

/* ---- phases -------------------------------------------------------------------------- */

enum { kInsns, kCycles, kDMiss, kIMiss, kStoreMiss, kMemory, kCounters };
static uint64_t g_opened[kCounters];
static uint64_t g_counts[kPhases][kCounters];
static uint64_t g_entries[kPhases];

static void Snapshot(uint64_t out[kCounters]) {
  const uint64_t now[kCounters] = {g_insns, g_cycles, g_dmiss, g_imiss, g_store_miss, g_memory};
  memcpy(out, now, sizeof now);
}

static void OnSyscall(qemu_plugin_id_t id, unsigned int vcpu, int64_t num, uint64_t a1,
                      uint64_t a2, uint64_t a3, uint64_t a4, uint64_t a5, uint64_t a6,
                      uint64_t a7, uint64_t a8) {
  (void)id, (void)vcpu, (void)a3, (void)a4, (void)a5, (void)a6, (void)a7, (void)a8;
  if (num != kGetpid || (uint32_t)a1 != kTag || a2 >= kPhases) return;
  uint64_t now[kCounters];
  Snapshot(now);
  if (g_phase >= 0) {
    for (int k = 0; k < kCounters; ++k) g_counts[g_phase][k] += now[k] - g_opened[k];
  }
  g_phase = (int)a2;
  g_entries[g_phase]++;
  memcpy(g_opened, now, sizeof now);
}

static void OnExit(qemu_plugin_id_t id, void* userdata) {
  (void)id, (void)userdata;
  fprintf(stderr, "model fill=%" PRIu64 " word=%" PRIu64 " open=%" PRIu64 " multiply-steps=%d\n",
          g_fill, g_write_word, g_write_open, kMultiplySteps);
  for (int p = 0; p < kPhases; ++p) {
    if (g_entries[p] == 0) continue;
    fprintf(stderr, "phase %d %" PRIu64, p, g_entries[p]);
    for (int k = 0; k < kCounters; ++k) fprintf(stderr, " %" PRIu64, g_counts[p][k]);
    fprintf(stderr, "\n");
  }
  for (const struct Block* b = g_blocks; b; b = b->older) {
    if (b->profile_runs != 0) {
      fprintf(stderr, "block %" PRIx64 " %" PRIu64 " %" PRIu64 "\n", b->pc,
              b->profile_runs * b->insns, b->profile_cycles);
    }
  }
}

__attribute__((visibility("default"))) int qemu_plugin_install(qemu_plugin_id_t id,
                                                               const qemu_info_t* info,
                                                               int argc, char** argv) {
  (void)info;
  for (int i = 0; i < argc; ++i) {
    if (sscanf(argv[i], "profile=%d", &g_profiled) == 1) continue;
    if (sscanf(argv[i], "fill=%" SCNu64, &g_fill) == 1) continue;
    if (sscanf(argv[i], "word=%" SCNu64, &g_write_word) == 1) continue;
    if (sscanf(argv[i], "open=%" SCNu64, &g_write_open) == 1) continue;
    fprintf(stderr, "count_plugin: unknown argument '%s' (profile=, fill=, word=, open=)\n",
            argv[i]);
    return -1;
  }
  qemu_plugin_register_vcpu_tb_trans_cb(id, OnTranslate);
  qemu_plugin_register_vcpu_syscall_cb(id, OnSyscall);
  qemu_plugin_register_atexit_cb(id, OnExit, NULL);
  return 0;
}
