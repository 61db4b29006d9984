// SPDX-License-Identifier: MIT
/*
 * A small FTP job through the varnix32 C API: log in, put a file, list the directory,
 * get the file back and check that it arrived unchanged.
 *
 * usage: ftp_example HOST[:PORT] USER PASSWORD [WORKDIR]
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "varnix32.h"

static int report(const char* step, int code) {
    char text[1024];
    ftp_lasterror(text, sizeof text);
    printf("%-8s %s (%d)\n", step, text, code);
    return code;
}

static int write_sample(const char* path) {
    FILE* f = fopen(path, "wb");
    int i;
    if (!f) return -1;
    for (i = 0; i < 1000; ++i)
        fprintf(f, "line %d of the varnix32 example\n", i);
    for (i = 0; i < 256; ++i)
        fputc(i, f); /* every byte value once */
    return fclose(f);
}

static int same_content(const char* a, const char* b) {
    FILE *fa = fopen(a, "rb"), *fb = fopen(b, "rb");
    int same = fa && fb, ca, cb;
    while (same) {
        ca = fgetc(fa);
        cb = fgetc(fb);
        if (ca != cb) same = 0;
        if (ca == EOF) break;
    }
    if (fa) fclose(fa);
    if (fb) fclose(fb);
    return same;
}

int main(int argc, char** argv) {
    const char* dir = argc > 4 ? argv[4] : ".";
    char sent[4096], received[4096], listing[4096], path[1024];
    int h, code, ok;
    long long size;

    if (argc < 4) {
        fprintf(stderr, "usage: %s HOST[:PORT] USER PASSWORD [WORKDIR]\n", argv[0]);
        return 2;
    }
    snprintf(sent, sizeof sent, "%s/example-upload.dat", dir);
    snprintf(received, sizeof received, "%s/example-download.dat", dir);
    snprintf(listing, sizeof listing, "%s/example-listing.txt", dir);
    if (write_sample(sent) != 0) {
        fprintf(stderr, "cannot write %s\n", sent);
        return 1;
    }

    printf("varnix32 version %d.%02d\n", varnix_version() / 100, varnix_version() % 100);
    varnix_setdefaulttimeout(20);
    h = ftp_login(argv[1], argv[2], argv[3], "");
    if (h <= 0) return report("login", h), 1;
    report("login", 0);

    if (report("binary", ftp_setbinary(h)) != 0) return 1;
    if (report("put", ftp_put(h, sent, "example.dat")) != 0) return 1;
    size = ftp_GetFileSize(h, "example.dat");
    printf("size     %lld bytes\n", size);
    if (report("dir", ftp_dir(h, "", listing)) != 0) return 1;
    {
        FILE* f = fopen(listing, "r");
        char line[512];
        while (f && fgets(line, sizeof line, f))
            printf("  | %s", line);
        if (f) fclose(f);
    }
    if (report("get", ftp_get(h, "example.dat", received)) != 0) return 1;
    if (report("pwd", ftp_pwd(h, path, sizeof path)) == 0) printf("  remote directory: %s\n", path);
    ok = same_content(sent, received);
    printf("check    %s\n", ok ? "the file came back unchanged" : "THE FILE DIFFERS");
    code = ftp_quit(h);
    report("quit", code);
    return ok ? 0 : 1;
}
