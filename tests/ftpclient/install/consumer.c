// SPDX-License-Identifier: MIT
/* A C program that knows only the installed varnix32.h. */
#include <stdio.h>
#include <varnix32.h>

int main(void) {
    char text[256];
    int h = ftp_open("127.0.0.1:1");
    if (varnix_version() != VARNIX_EXPECTED_VERSION) return 1;
    if (h > 0) return 2; /* nothing listens on port 1 */
    if (ftp_lasterror(text, (int)sizeof text) <= 0) return 3;
    printf("varnix32 %d: %s\n", varnix_version(), text);
    return 0;
}
