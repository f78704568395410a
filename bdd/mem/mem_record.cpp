// Record managers: fixed-size records from 4096-byte pool blocks, taken and
// returned in constant time through a free list threaded through the records.
//
// Word 0 of a free record links to the next free one; word 1 holds the free
// marker, replaced by the in-use marker when the record is handed out. The
// markers only feed the two diagnostics; user data may happen to equal them.
#include <cstdint>
#include <cstdio>

#include "bdd/mem/mem_internal.h"

namespace {

std::uint32_t* words(void* rec) {
  return static_cast<std::uint32_t*>(rec);
}

// Takes a new pool block and threads its records, in address order, into the free list.
void add_pool(mem_rec_mgr mgr) {
  char* pool = static_cast<char*>(mem_get_block(kPoolArea));
  words(pool)[0] = mgr->pools;
  mgr->pools = mem_offset(pool);
  char* first = pool + kPoolRecordsOffset;
  std::uint32_t next = mgr->free_list;
  for (std::uint32_t i = mgr->per_pool; i-- > 0;) {
    std::uint32_t* rec = words(first + std::size_t{i} * mgr->rec_size);
    rec[0] = next;
    rec[1] = kRecFreeMarker;
    next = mem_offset(rec);
  }
  mgr->free_list = next;
}

}  // namespace

mem_rec_mgr mem_new_rec_mgr(int size) {
  if (size < 4) size = 4;
  if (size > static_cast<int>(kPoolRecordBytes))
    mem_fatal("mem_new_rec_mgr: record size too large");
  size = (size + 7) & ~7;
  mem_rec_mgr mgr = static_cast<mem_rec_mgr>(mem_get_block(sizeof(mem_rec_mgr_)));
  mgr->rec_size = static_cast<std::uint32_t>(size);
  mgr->per_pool = static_cast<std::uint32_t>(kPoolRecordBytes / static_cast<std::size_t>(size));
  mgr->free_list = 0;
  mgr->pools = 0;
  return mgr;
}

void mem_free_rec_mgr(mem_rec_mgr mgr) {
  if (mgr == nullptr) return;
  std::uint32_t pool = mgr->pools;
  while (pool != 0) {
    void* area = mem_at(pool);
    pool = words(area)[0];
    mem_free_block(area);
  }
  mem_free_block(mgr);
}

void* mem_new_rec(mem_rec_mgr mgr) {
  if (mgr->free_list == 0) add_pool(mgr);
  std::uint32_t* rec = words(mem_at(mgr->free_list));
  if (rec[1] == kRecFreeMarker) {
    rec[1] = kRecInUseMarker;
  } else {
    std::fprintf(stderr, "record at 0x%lx may be in use\n", reinterpret_cast<unsigned long>(rec));
  }
  mgr->free_list = rec[0];
  return rec;
}

// A record whose marker says it is already free is reported and left alone:
// linking it a second time would hand it out twice.
void mem_free_rec(mem_rec_mgr mgr, void* rec) {
  if (rec == nullptr) return;
  std::uint32_t* w = words(rec);
  if (w[1] == kRecFreeMarker) {
    std::fprintf(stderr, "record at 0x%lx may already be freed\n",
                 reinterpret_cast<unsigned long>(rec));
    return;
  }
  w[0] = mgr->free_list;
  w[1] = kRecFreeMarker;
  mgr->free_list = mem_offset(rec);
}

std::uint32_t mem_rec_first_pool(mem_rec_mgr mgr) {
  return mgr->pools;
}

std::uint32_t mem_rec_next_pool(std::uint32_t pool) {
  return words(mem_at(pool))[0];
}

char* mem_rec_pool_records(std::uint32_t pool) {
  return static_cast<char*>(mem_at(pool)) + kPoolRecordsOffset;
}

int mem_rec_per_pool(mem_rec_mgr mgr) {
  return static_cast<int>(mgr->per_pool);
}

int mem_rec_size(mem_rec_mgr mgr) {
  return static_cast<int>(mgr->rec_size);
}
