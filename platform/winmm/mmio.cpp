// WINMM: buffered file reading with RIFF chunk navigation (read-only).
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "../host/host.h"
#include "../kernel/codepage.h"
#include "windows.h"

namespace {

struct MmioFile {
  std::FILE* file = nullptr;
  long size = 0;
  std::vector<char> buffer;
  // What the caller sees through mmioGetInfo; pchNext and pchEndRead point into `buffer`.
  MMIOINFO info{};
};

MmioFile* From(HMMIO h) { return reinterpret_cast<MmioFile*>(h); }

// The file position of the next byte to be read.
long Position(const MmioFile& f) { return f.info.lBufOffset + long(f.info.pchNext - f.info.pchBuffer); }

// Empties the buffer and refills it from `position`.
bool Fill(MmioFile& f, long position) {
  f.info.lBufOffset = position;
  f.info.pchNext = f.info.pchEndRead = f.info.pchBuffer;
  if (position < 0) return false;
  if (std::fseek(f.file, position, SEEK_SET) != 0) return false;
  size_t n = f.buffer.empty() ? 0 : std::fread(f.buffer.data(), 1, f.buffer.size(), f.file);
  f.info.pchEndRead = f.info.pchBuffer + n;
  f.info.lDiskOffset = position + long(n);
  return true;
}

bool ReadFourcc(MmioFile& f, FOURCC* out) {
  char bytes[4];
  if (mmioRead(reinterpret_cast<HMMIO>(&f), bytes, 4) != 4) return false;
  *out = mmioFOURCC(bytes[0], bytes[1], bytes[2], bytes[3]);
  return true;
}

}  // namespace

extern "C" {

HMMIO WINAPI mmioOpenA(LPSTR name, LPMMIOINFO info, DWORD flags) {
  auto fail = [&](UINT code) -> HMMIO {
    if (info) info->wErrorRet = code;
    return nullptr;
  };
  if (!name || (flags & (MMIO_WRITE | MMIO_READWRITE))) return fail(MMSYSERR_INVALPARAM);
  if (host::Current().ShouldFail("mmioOpenA")) return fail(MMIOERR_CANNOTOPEN);
  std::string path = platform::Cp932ToUtf8(name);
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return fail(MMIOERR_FILENOTFOUND);
  if (!S_ISREG(st.st_mode)) return fail(MMIOERR_CANNOTOPEN);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return fail(MMIOERR_CANNOTOPEN);
  MmioFile* f = new (std::nothrow) MmioFile;
  if (!f) {
    std::fclose(file);
    return fail(MMIOERR_OUTOFMEMORY);
  }
  f->file = file;
  f->size = long(std::min<off_t>(st.st_size, 0x7FFFFFFF));
  // Without a buffer of its own the file still reads through a small one; mmioGetInfo then shows none.
  LONG size = (flags & MMIO_ALLOCBUF) ? (info && info->cchBuffer > 0 ? info->cchBuffer : MMIO_DEFAULTBUFFER) : 512;
  try {
    f->buffer.resize(size_t(size));
  } catch (const std::bad_alloc&) {
    std::fclose(file);
    delete f;
    return fail(MMIOERR_OUTOFMEMORY);
  }
  f->info.dwFlags = flags;
  f->info.cchBuffer = (flags & MMIO_ALLOCBUF) ? size : 0;
  f->info.pchBuffer = f->buffer.data();
  f->info.pchNext = f->info.pchEndRead = f->info.pchEndWrite = f->info.pchBuffer;
  f->info.hmmio = reinterpret_cast<HMMIO>(f);
  if (info) info->wErrorRet = 0;
  return reinterpret_cast<HMMIO>(f);
}

MMRESULT WINAPI mmioClose(HMMIO h, UINT) {
  MmioFile* f = From(h);
  if (!f) return MMSYSERR_INVALPARAM;
  std::fclose(f->file);
  delete f;
  return MMSYSERR_NOERROR;
}

LONG WINAPI mmioRead(HMMIO h, HPSTR out, LONG bytes) {
  MmioFile* f = From(h);
  if (!f || bytes < 0 || (!out && bytes > 0)) return -1;
  LONG done = 0;
  while (done < bytes) {
    if (f->info.pchNext >= f->info.pchEndRead) {
      if (!Fill(*f, Position(*f))) return -1;
      if (f->info.pchNext >= f->info.pchEndRead) break;  // end of file
    }
    LONG n = std::min<LONG>(bytes - done, LONG(f->info.pchEndRead - f->info.pchNext));
    std::memcpy(out + done, f->info.pchNext, size_t(n));
    f->info.pchNext += n;
    done += n;
  }
  return done;
}

LONG WINAPI mmioSeek(HMMIO h, LONG offset, int origin) {
  MmioFile* f = From(h);
  if (!f) return -1;
  long base = origin == SEEK_SET ? 0 : origin == SEEK_CUR ? Position(*f) : origin == SEEK_END ? f->size : -1;
  if (base < 0) return -1;
  long target = base + offset;
  if (target < 0) return -1;
  long bufferEnd = f->info.lBufOffset + long(f->info.pchEndRead - f->info.pchBuffer);
  if (target >= f->info.lBufOffset && target <= bufferEnd) {
    f->info.pchNext = f->info.pchBuffer + (target - f->info.lBufOffset);
  } else {
    f->info.lBufOffset = target;
    f->info.pchNext = f->info.pchEndRead = f->info.pchBuffer;
  }
  return LONG(target);
}

MMRESULT WINAPI mmioGetInfo(HMMIO h, LPMMIOINFO info, UINT) {
  MmioFile* f = From(h);
  if (!f || !info) return MMSYSERR_INVALPARAM;
  *info = f->info;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI mmioSetInfo(HMMIO h, LPCMMIOINFO info, UINT) {
  MmioFile* f = From(h);
  if (!f || !info) return MMSYSERR_INVALPARAM;
  // Only the read pointer is taken back, and only inside the data the buffer holds.
  if (info->pchNext < f->info.pchBuffer || info->pchNext > f->info.pchEndRead) return MMSYSERR_INVALPARAM;
  f->info.pchNext = info->pchNext;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI mmioAdvance(HMMIO h, LPMMIOINFO info, UINT flags) {
  MmioFile* f = From(h);
  if (!f || !info) return MMSYSERR_INVALPARAM;
  if (!(f->info.dwFlags & MMIO_ALLOCBUF)) return MMIOERR_UNBUFFERED;
  if (flags & MMIO_WRITE) return MMIOERR_CANNOTWRITE;
  MMRESULT r = mmioSetInfo(h, info, 0);
  if (r != MMSYSERR_NOERROR) return r;
  if (!Fill(*f, Position(*f))) return MMIOERR_CANNOTREAD;
  *info = f->info;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI mmioDescend(HMMIO h, LPMMCKINFO chunk, const MMCKINFO* parent, UINT flags) {
  MmioFile* f = From(h);
  if (!f || !chunk) return MMSYSERR_INVALPARAM;
  const FOURCC wantedId = chunk->ckid;
  const FOURCC wantedType = chunk->fccType;
  // A search never leaves the parent chunk.
  long limit = parent ? long(parent->dwDataOffset) + long(parent->cksize) : 0x7FFFFFFF;
  for (;;) {
    long start = Position(*f);
    if (start + 8 > limit) return MMIOERR_CHUNKNOTFOUND;
    MMCKINFO found{};
    char size[4];
    if (!ReadFourcc(*f, &found.ckid) || mmioRead(h, size, 4) != 4) return MMIOERR_CHUNKNOTFOUND;
    found.cksize = DWORD(uint8_t(size[0])) | DWORD(uint8_t(size[1])) << 8 | DWORD(uint8_t(size[2])) << 16 |
                   DWORD(uint8_t(size[3])) << 24;
    found.dwDataOffset = DWORD(start + 8);
    bool list = found.ckid == FOURCC_RIFF || found.ckid == FOURCC_LIST;
    if (list && !ReadFourcc(*f, &found.fccType)) return MMIOERR_CHUNKNOTFOUND;
    bool match = true;
    if (flags & MMIO_FINDCHUNK) match = found.ckid == wantedId;
    else if (flags & MMIO_FINDRIFF) match = found.ckid == FOURCC_RIFF && found.fccType == wantedType;
    else if (flags & MMIO_FINDLIST) match = found.ckid == FOURCC_LIST && found.fccType == wantedType;
    if (match) {
      *chunk = found;
      return MMSYSERR_NOERROR;
    }
    // Skip the chunk with its pad byte; sizes too large to skip end the search.
    long long next = (long long)found.dwDataOffset + found.cksize + (found.cksize & 1);
    if (next > limit || next > 0x7FFFFFFF) return MMIOERR_CHUNKNOTFOUND;
    if (mmioSeek(h, LONG(next), SEEK_SET) < 0) return MMIOERR_CANNOTSEEK;
  }
}

MMRESULT WINAPI mmioAscend(HMMIO h, LPMMCKINFO chunk, UINT) {
  MmioFile* f = From(h);
  if (!f || !chunk) return MMSYSERR_INVALPARAM;
  long long end = (long long)chunk->dwDataOffset + chunk->cksize + (chunk->cksize & 1);
  if (end > 0x7FFFFFFF || mmioSeek(h, LONG(end), SEEK_SET) < 0) return MMIOERR_CANNOTSEEK;
  return MMSYSERR_NOERROR;
}

}  // extern "C"
