// The program's glyph proposal for a folder name, re-done over the bundle data: the query tokeniser, the
// keyword index of the Lucide library (icon names and lucide_keywords_<code>.json), the country table and
// the exact-match scoring. check.mjs uses it to tell how many folder names of a list get a fitting glyph;
// the C++ test tests/smart/FolderNameRatesTest.cpp asks the real index the same question.

import { existsSync, readFileSync, readdirSync } from 'node:fs';
import { join } from 'node:path';

const TAG_MATCH_WEIGHT = 0.6;
const COMPACTNESS_ALPHA = 0.15;
const NEUTRAL_RELEVANCE = 3;

const graphemes = new Intl.Segmenter('und', { granularity: 'grapheme' });
const graphemeList = (text) => [...graphemes.segment(text)].map((s) => s.segment);

export function fold(text) {
    return text.normalize('NFD').replace(/\p{Mn}/gu, '').normalize('NFC');
}

export function normaliseKeyword(text) {
    return fold(text.toLowerCase()).replace(/^[\t\p{Zs}]+|[\t\p{Zs}]+$/gu, '');
}

function letterCase(grapheme) {
    const points = [...grapheme];
    if (points.length === 1) {
        if (/\p{Uppercase}/u.test(grapheme)) return 'upper';
        if (/\p{Lowercase}/u.test(grapheme)) return 'lower';
        return 'none';
    }
    const upper = grapheme.toUpperCase();
    const lower = grapheme.toLowerCase();
    if (grapheme === upper && grapheme !== lower) return 'upper';
    if (grapheme === lower && grapheme !== upper) return 'lower';
    return 'none';
}

// Splits at " -_." and at case changes; a piece of several sub-pieces also yields its joined form.
export function tokenize(text) {
    const out = [];
    for (const piece of text.split(/[ \-_.]/).filter(Boolean)) {
        const chars = graphemeList(piece);
        const cases = chars.map(letterCase);
        const subs = [];
        let current = '';
        chars.forEach((c, i) => {
            const before = cases[i - 1];
            const after = cases[i + 1];
            const starts = cases[i] === 'upper' && (before === 'lower' || (before === 'upper' && after === 'lower'));
            if (starts && current) {
                subs.push(current);
                current = '';
            }
            current += c;
        });
        if (current) subs.push(current);
        const folded = (s) => fold(s.toLowerCase());
        if (subs.length >= 2) out.push(folded(piece), ...subs.map(folded));
        else out.push(...subs.map(folded));
    }
    return out.filter((w) => graphemeList(w).length >= 2);
}

// The Lucide part of the keyword index for a set of folder-name languages.
export function buildIndex(resourcesDir, languages) {
    const names = readdirSync(join(resourcesDir, 'lucide')).filter((f) => f.endsWith('.svg')).map((f) => f.slice(0, -4));
    const files = {};
    for (const code of languages) {
        const file = join(resourcesDir, 'keywords', `lucide_keywords_${code}.json`);
        if (!existsSync(file)) continue;
        for (const [icon, keywords] of Object.entries(JSON.parse(readFileSync(file, 'utf8')))) {
            const entry = (files[icon] ??= {});
            for (const [keyword, relevance] of Object.entries(keywords))
                entry[keyword] = Math.max(relevance, entry[keyword] ?? 0, 0);
        }
    }
    const keys = new Map(); // word -> set of icon names
    const nameTokens = new Map();
    const relevance = new Map();
    const add = (word, name) => {
        if (!keys.has(word)) keys.set(word, new Set());
        keys.get(word).add(name);
    };
    for (const name of names) {
        const tokens = new Set(name.toLowerCase().split('-').filter(Boolean));
        nameTokens.set(name, tokens);
        for (const token of tokens) add(token, name);
        const table = new Map();
        for (const [keyword, value] of Object.entries(files[name] ?? {})) {
            const word = normaliseKeyword(keyword);
            if (!word) continue;
            add(word, name);
            table.set(word, value);
        }
        relevance.set(name, table);
    }
    const flags = new Map();
    const flagFile = join(resourcesDir, 'keywords', 'country_flags.json');
    for (const [flag, list] of Object.entries(JSON.parse(readFileSync(flagFile, 'utf8'))))
        for (const country of list) if (normaliseKeyword(country)) flags.set(normaliseKeyword(country), flag);
    return { icons: new Set(names), keys, nameTokens, relevance, flags };
}

function hasBaseIcon(index, name) {
    const pieces = name.split('-').filter(Boolean);
    return pieces.length >= 2 && index.icons.has(pieces[0]);
}

// Every Lucide icon matching a word of `text` exactly, best first: { name, score, via }.
export function scoreIcons(index, text) {
    const words = tokenize(text);
    if (words.length === 0) return [];
    const best = new Map(); // icon -> word -> { keyword, weighted, isName }
    for (const word of words) {
        for (const name of index.keys.get(word) ?? []) {
            const isName = index.nameTokens.get(name).has(word);
            const relevance = index.relevance.get(name).get(word) ?? NEUTRAL_RELEVANCE;
            const weighted = isName ? 1.0 : (relevance / 3.0) * TAG_MATCH_WEIGHT;
            if (!best.has(name)) best.set(name, new Map());
            const previous = best.get(name).get(word);
            if (previous ? weighted > previous.weighted : weighted > 0) best.get(name).set(word, { weighted, isName });
        }
    }
    const scored = [];
    for (const [name, matches] of best) {
        const total = words.reduce((sum, w) => sum + (matches.get(w)?.weighted ?? 0), 0);
        const raw = total / words.length;
        const tokenCount = Math.max(index.nameTokens.get(name).size, 1);
        const score = tokenCount >= 2 && hasBaseIcon(index, name) ? raw / ((tokenCount - 1) * COMPACTNESS_ALPHA + 1) : raw;
        const via = words.map((w) => (matches.has(w) ? `${w}→${matches.get(w).isName ? '' : '*'}` : `${w}→∅`)).join(', ');
        scored.push({ name, score, via });
    }
    return scored.sort((a, b) => b.score - a.score);
}

// What the program proposes for a folder name with the Lucide library: { glyphs, how }. `glyphs` holds every
// glyph the proposal may be (candidates tied for the best score have no defined order); empty when the
// program would pick a random icon or none.
export function propose(index, folderName) {
    const flag = index.flags.get(normaliseKeyword(folderName));
    if (flag) return { glyphs: [flag], how: 'country' };
    const scored = scoreIcons(index, folderName);
    if (scored.length === 0) return { glyphs: [], how: 'random' };
    const top = scored.filter((c) => c.score >= scored[0].score - 1e-9);
    return { glyphs: top.map((c) => c.name), how: top.map((c) => `${c.name} ${c.score.toFixed(3)} (${c.via})`).join('; ') };
}

// The folder-name list: "= @group glyph..." lines and "<language> TAB <name> TAB <glyphs>" lines.
export function readFolderNames(file) {
    const groups = new Map();
    const entries = [];
    for (const [i, line] of readFileSync(file, 'utf8').split('\n').entries()) {
        if (!line.trim() || line.startsWith('#')) continue;
        if (line.startsWith('= ')) {
            const [group, ...glyphs] = line.slice(2).trim().split(/\s+/);
            groups.set(group, glyphs);
            continue;
        }
        const fields = line.split('\t');
        if (fields.length !== 3) throw new Error(`${file}:${i + 1}: expected three tab-separated fields`);
        const fits = new Set();
        for (const item of fields[2].trim().split(/\s+/)) {
            if (!item.startsWith('@')) fits.add(item);
            else if (groups.has(item)) for (const glyph of groups.get(item)) fits.add(glyph);
            else throw new Error(`${file}:${i + 1}: unknown group ${item}`);
        }
        entries.push({ language: fields[0], name: fields[1], fits });
    }
    return entries;
}
