/* The libxlsxwriter side of bench/spreadsheets.sh: a CSV of plain fields
 * (no quotes) to an XLSX workbook in constant-memory mode, the header row
 * bold and numeric-looking cells as numbers, as Flingdial does. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <xlsxwriter.h>

static int is_number(const char *s)
{
    const char *p = s;
    if (*p == '-') p++;
    if (*p < '0' || *p > '9') return 0;
    if (*p == '0') p++; else while (*p >= '0' && *p <= '9') p++;
    if (*p == '.') { p++; if (*p < '0' || *p > '9') return 0; while (*p >= '0' && *p <= '9') p++; }
    return *p == '\0';
}

int main(int argc, char **argv)
{
    if (argc != 3) { fprintf(stderr, "usage: csv2xlsx IN.csv OUT.xlsx\n"); return 2; }
    FILE *in = fopen(argv[1], "r");
    if (!in) { perror(argv[1]); return 1; }
    lxw_workbook_options options = {.constant_memory = LXW_TRUE, .tmpdir = NULL};
    lxw_workbook *book = workbook_new_opt(argv[2], &options);
    lxw_worksheet *sheet = workbook_add_worksheet(book, NULL);
    lxw_format *bold = workbook_add_format(book);
    format_set_bold(bold);
    char line[65536];
    lxw_row_t row = 0;
    while (fgets(line, sizeof line, in)) {
        line[strcspn(line, "\r\n")] = '\0';
        lxw_col_t col = 0;
        for (char *field = strtok(line, ","); field; field = strtok(NULL, ","), col++) {
            if (row == 0) worksheet_write_string(sheet, row, col, field, bold);
            else if (is_number(field)) worksheet_write_number(sheet, row, col, atof(field), NULL);
            else worksheet_write_string(sheet, row, col, field, NULL);
        }
        row++;
    }
    fclose(in);
    return workbook_close(book) == LXW_NO_ERROR ? 0 : 1;
}
