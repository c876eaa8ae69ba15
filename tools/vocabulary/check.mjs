#!/usr/bin/env node
// Validates the hand-written folder vocabulary (folders.json next to this script), and tells how well the
// generated keyword files style the folder names of a list.
//
//   node tools/vocabulary/check.mjs [--icons <dir of Lucide *.svg>] [--emoji-test <emoji-test.txt>]
//                                   [--names <list>] [--misses] [--resources <dir>] [file]
//
// With a folder-name list (by default tests/data/smart/folder-names.tsv), prints per language how many of its
// names get a fitting Lucide glyph, for the language with English (the program's default selection) and for
// all eleven languages; --misses lists the names that do not, with what they get. Below 90 % in any
// language is an error. It also lists the vocabulary words that the own name of another icon outranks.
// --resources measures another copy of the bundle data (by default resources/ of this checkout).
//
// Without --icons, tools/node_modules/lucide-static/icons (after `npm ci` in tools/) or else resources/lucide/
// is used; when the icons folder sits in the lucide-static package, its tags.json also rejects names that are
// only aliases of another icon.
// Without --emoji-test, /usr/share/unicode/emoji/emoji-test.txt is used when it exists. A check whose data is
// missing is reported as skipped. Exits 1 on any error, 0 otherwise; prints counts on success.

import { existsSync, readFileSync, readdirSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { buildIndex, propose, readFolderNames } from './matching.mjs';
import { expandVocabulary, handWrittenOwners, ruleStems } from './vocabulary.mjs';

export const LANGUAGES = ['en', 'fr', 'it', 'de', 'es', 'pt-BR', 'zh-Hans', 'ja', 'ko', 'ru', 'cs'];
const CONCEPT_KEYS = ['concept', 'lucide', 'emoji', 'words', 'weak'];

const here = dirname(fileURLToPath(import.meta.url));
const repoRoot = resolve(here, '..', '..');

// The keyword index's normalisation: lower-case, diacritics folded, blanks trimmed.
export function normalise(word) {
    return word.toLowerCase().normalize('NFD').replace(/\p{Mn}/gu, '').normalize('NFC').trim();
}

// Folder names are split into words at these characters, so a keyword holding one could never match.
const SEPARATORS = /[ \-_.]/;
const graphemes = new Intl.Segmenter('und', { granularity: 'grapheme' });
const graphemeCount = (text) => [...graphemes.segment(text)].length;

function parseArgs(argv) {
    const args = {
        file: join(here, 'folders.json'),
        icons: null,
        emojiTest: null,
        names: join(repoRoot, 'tests', 'data', 'smart', 'folder-names.tsv'),
        misses: false,
        resources: join(repoRoot, 'resources'),
    };
    for (let i = 0; i < argv.length; ++i) {
        if (argv[i] === '--icons') args.icons = argv[++i];
        else if (argv[i] === '--emoji-test') args.emojiTest = argv[++i];
        else if (argv[i] === '--names') args.names = argv[++i];
        else if (argv[i] === '--misses') args.misses = true;
        else if (argv[i] === '--resources') args.resources = argv[++i];
        else args.file = argv[i];
    }
    // The pinned npm package (after `npm ci` in tools/) also knows which names are only aliases.
    const packageIcons = join(repoRoot, 'tools', 'node_modules', 'lucide-static', 'icons');
    if (!args.icons) for (const dir of [packageIcons, join(repoRoot, 'resources', 'lucide')]) {
        if (existsSync(dir)) {
            args.icons = dir;
            break;
        }
    }
    const systemEmojiTest = '/usr/share/unicode/emoji/emoji-test.txt';
    if (!args.emojiTest && existsSync(systemEmojiTest)) args.emojiTest = systemEmojiTest;
    return args;
}

function loadLucideNames(dir) {
    if (!existsSync(dir)) {
        console.error(`${dir}: no such icons folder`);
        process.exit(1);
    }
    const names = new Set(readdirSync(dir).filter((f) => f.endsWith('.svg')).map((f) => f.slice(0, -4)));
    const tagsFile = join(dir, '..', 'tags.json');
    const current = existsSync(tagsFile) ? new Set(Object.keys(JSON.parse(readFileSync(tagsFile, 'utf8')))) : null;
    return { names, current };
}

function loadFullyQualifiedEmoji(file) {
    const set = new Set();
    for (const line of readFileSync(file, 'utf8').split('\n')) {
        const m = line.match(/^([0-9A-F ]+?)\s*;\s*fully-qualified\s*#/);
        if (m) set.add(String.fromCodePoint(...m[1].split(' ').map((h) => parseInt(h, 16))));
    }
    return set;
}

function checkWords(where, lang, words, errors, mayBeEmpty = false) {
    if (!Array.isArray(words) || (words.length === 0 && !mayBeEmpty)) {
        errors.push(`${where}: "${lang}" must be a non-empty array`);
        return [];
    }
    const seen = new Set();
    const good = [];
    for (const word of words) {
        if (typeof word !== 'string') {
            errors.push(`${where}/${lang}: ${JSON.stringify(word)} is not a string`);
            continue;
        }
        const problems = [];
        if (word !== word.trim()) problems.push('leading or trailing blanks');
        if (word !== word.toLowerCase()) problems.push('not lower-case');
        if (SEPARATORS.test(word)) problems.push('holds a word separator (space - _ .)');
        if (graphemeCount(word) < 2) problems.push('shorter than 2 characters');
        const key = normalise(word);
        if (seen.has(key)) problems.push('listed twice (after folding)');
        seen.add(key);
        if (problems.length) errors.push(`${where}/${lang}: "${word}": ${problems.join(', ')}`);
        else good.push(key);
    }
    return good;
}

function checkConcept(entry, index, ctx) {
    const { errors } = ctx;
    const where = `#${index} ${entry && entry.concept ? entry.concept : ''}`.trim();
    if (typeof entry !== 'object' || entry === null || Array.isArray(entry)) {
        errors.push(`${where}: not an object`);
        return;
    }
    for (const key of Object.keys(entry)) if (!CONCEPT_KEYS.includes(key)) errors.push(`${where}: unknown key "${key}"`);
    if (typeof entry.concept !== 'string' || !/^[a-z0-9]+(-[a-z0-9]+)*$/.test(entry.concept))
        errors.push(`${where}: "concept" must be a lower-case identifier`);
    else if (ctx.concepts.has(entry.concept)) errors.push(`${where}: concept listed twice`);
    ctx.concepts.add(entry.concept);

    if (typeof entry.lucide !== 'string' || entry.lucide === '') errors.push(`${where}: "lucide" missing`);
    else if (ctx.lucide && !ctx.lucide.names.has(entry.lucide)) errors.push(`${where}: no Lucide icon "${entry.lucide}"`);
    else if (ctx.lucide && ctx.lucide.current && !ctx.lucide.current.has(entry.lucide))
        errors.push(`${where}: "${entry.lucide}" is only an alias in Lucide; use the current name`);

    if ('emoji' in entry) {
        if (typeof entry.emoji !== 'string' || entry.emoji === '') errors.push(`${where}: "emoji" must be a non-empty string`);
        else if (ctx.emoji && !ctx.emoji.has(entry.emoji))
            errors.push(`${where}: "${entry.emoji}" is not a fully-qualified emoji`);
    }

    const words = entry.words;
    if (typeof words !== 'object' || words === null || Array.isArray(words)) {
        errors.push(`${where}: "words" must be an object`);
        return;
    }
    for (const lang of Object.keys(words)) if (!LANGUAGES.includes(lang)) errors.push(`${where}: unknown language "${lang}"`);
    for (const lang of LANGUAGES) {
        if (!(lang in words)) {
            errors.push(`${where}: language "${lang}" missing`);
            continue;
        }
        // A language may name a concept with weak words only.
        const good = checkWords(where, lang, words[lang], errors, (entry.weak?.[lang] ?? []).length > 0);
        ctx.wordCount[lang] += good.length;
        claim(ctx, good, entry.concept);
        const weak = entry.weak?.[lang];
        if (weak === undefined) continue;
        const goodWeak = checkWords(`${where} weak`, lang, weak, errors);
        for (const key of goodWeak) if (good.includes(key)) errors.push(`${where}/${lang}: "${key}" is both a word and a weak word`);
        ctx.wordCount[lang] += goodWeak.length;
        claim(ctx, goodWeak, entry.concept);
    }
    if ('weak' in entry) {
        if (typeof entry.weak !== 'object' || entry.weak === null || Array.isArray(entry.weak))
            errors.push(`${where}: "weak" must be an object`);
        else for (const lang of Object.keys(entry.weak)) if (!LANGUAGES.includes(lang)) errors.push(`${where}: unknown weak language "${lang}"`);
    }
}

function claim(ctx, keys, concept) {
    for (const key of keys) {
        if (!ctx.owners.has(key)) ctx.owners.set(key, new Set());
        ctx.owners.get(key).add(concept);
    }
}

// compounds.json: per language, a list of rules joining every modifier stem to every head; the compound belongs
// to the rule's "concept" (stems a list) or to the concept each stem is listed under (stems an object).
function checkCompounds(compounds, ctx) {
    const { errors } = ctx;
    if (typeof compounds !== 'object' || compounds === null || Array.isArray(compounds)) {
        errors.push('compounds: top level must be an object');
        return;
    }
    const handWritten = handWrittenOwners(ctx.data);
    for (const [lang, rules] of Object.entries(compounds)) {
        if (!LANGUAGES.includes(lang)) errors.push(`compounds/${lang}: unknown language`);
        if (!Array.isArray(rules)) {
            errors.push(`compounds/${lang}: must be a list of rules`);
            continue;
        }
        rules.forEach((rule, i) => checkCompoundRule(rule, `compounds/${lang}#${i}`, lang, handWritten, ctx));
    }
}

function checkCompoundRule(rule, where, lang, handWritten, ctx) {
    const { errors } = ctx;
    const headed = typeof rule?.concept === 'string';
    const stemsOk = headed ? Array.isArray(rule.modifiers) : typeof rule?.modifiers === 'object' && !Array.isArray(rule.modifiers);
    if (!rule || !Array.isArray(rule.heads) || rule.heads.length === 0 || !rule.modifiers || !stemsOk) {
        errors.push(`${where}: needs "heads" and "modifiers" (a list with "concept", else an object of concepts)`);
        return;
    }
    for (const key of Object.keys(rule)) if (!['concept', 'heads', 'modifiers'].includes(key)) errors.push(`${where}: unknown key "${key}"`);
    if (rule.heads.some((head) => typeof head !== 'string' || head !== head.toLowerCase() || SEPARATORS.test(head)))
        errors.push(`${where}: heads must be lower-case strings without separators`);
    const byConcept = new Map();
    for (const [concept, stem] of ruleStems(rule)) {
        if (!byConcept.has(concept)) byConcept.set(concept, []);
        byConcept.get(concept).push(...rule.heads.map((head) => String(stem) + head));
    }
    for (const [concept, words] of byConcept) {
        if (!ctx.concepts.has(concept)) errors.push(`${where}: no concept "${concept}"`);
        const own = words.filter((word) => (handWritten.get(normalise(word)) ?? concept) === concept);
        const good = checkWords(`${where}/${concept}`, lang, own, errors);
        ctx.compoundCount[lang] = (ctx.compoundCount[lang] ?? 0) + good.length;
        claim(ctx, good, concept);
    }
}

export function check(data, { lucide = null, emoji = null, compounds = {} } = {}) {
    const ctx = {
        compoundCount: {},
        data,
        errors: [],
        concepts: new Set(),
        owners: new Map(), // folded word -> concepts that list it (in any language)
        wordCount: Object.fromEntries(LANGUAGES.map((l) => [l, 0])),
        lucide,
        emoji,
    };
    if (!Array.isArray(data)) return { errors: ['top level must be an array'], ctx };
    data.forEach((entry, i) => checkConcept(entry, i, ctx));
    checkCompounds(compounds, ctx);
    // One word leading to two concepts would leave the index with a tie between two glyphs.
    for (const [word, owners] of ctx.owners)
        if (owners.size > 1) ctx.errors.push(`"${word}" is a word of several concepts: ${[...owners].join(', ')}`);
    return { errors: ctx.errors, ctx };
}

export const REQUIRED_RATE = 0.9;

// Per language, the share of the list's names whose proposal fits; returns the languages below the mark.
function reportRates(entries, resources, showMisses) {
    const selections = [
        ...LANGUAGES.map((language) => ({ label: language, languages: [...new Set(['en', language])], only: language })),
        { label: 'all', languages: LANGUAGES, only: null },
    ];
    const failing = [];
    const all = buildIndex(resources, LANGUAGES);
    for (const selection of selections) {
        const index = selection.only ? buildIndex(resources, selection.languages) : all;
        const lines = [];
        for (const language of LANGUAGES) {
            if (selection.only && language !== selection.only) continue;
            const list = entries.filter((e) => e.language === language);
            let fitting = 0;
            for (const entry of list) {
                const { glyphs, how } = propose(index, entry.name);
                if (glyphs.length && glyphs.every((g) => entry.fits.has(g))) ++fitting;
                else if (showMisses) console.log(`  miss [${selection.label}] ${language} "${entry.name}": ${how}`);
            }
            const rate = list.length ? fitting / list.length : 1;
            lines.push(`${language} ${fitting}/${list.length} ${(100 * rate).toFixed(0)} %`);
            if (rate < REQUIRED_RATE) failing.push(`${language} (${selection.only ? 'with en' : 'all languages'})`);
        }
        console.log(`fitting glyphs, ${selection.only ? `${selection.label} with en` : 'all eleven languages'}: ${lines.join(', ')}`);
    }
    return failing;
}

// Vocabulary words that are also a name token of other Lucide icons but not of the concept's own: the
// icon's own name scores above any keyword, so such a word alone never leads to its concept's glyph.
function outrankedWords(vocabulary, icons) {
    const tokenOwners = new Map();
    for (const name of icons) {
        for (const token of name.split('-')) {
            if (!tokenOwners.has(token)) tokenOwners.set(token, []);
            tokenOwners.get(token).push(name);
        }
    }
    const expanded = expandVocabulary(vocabulary, LANGUAGES);
    const found = [];
    for (const concept of vocabulary.concepts) {
        for (const language of LANGUAGES) {
            for (const { word } of expanded.get(concept.concept)[language]) {
                const owners = tokenOwners.get(normalise(word)) ?? [];
                if (owners.length && !owners.includes(concept.lucide))
                    found.push(`${language} "${word}" (${concept.concept}, ${concept.lucide}) → ${owners.slice(0, 3).join(', ')}`);
            }
        }
    }
    return found;
}

function main() {
    const args = parseArgs(process.argv.slice(2));
    let data;
    try {
        data = JSON.parse(readFileSync(args.file, 'utf8'));
    } catch (e) {
        console.error(`${args.file}: ${e.message}`);
        process.exit(1);
    }
    const lucide = args.icons ? loadLucideNames(args.icons) : null;
    const emoji = args.emojiTest ? loadFullyQualifiedEmoji(args.emojiTest) : null;
    if (!lucide) console.log('skipped: Lucide names (no icons folder; pass --icons)');
    if (!emoji) console.log('skipped: emoji (no emoji-test.txt; pass --emoji-test)');

    const compoundsFile = join(dirname(resolve(args.file)), 'compounds.json');
    let compounds = {};
    try {
        if (existsSync(compoundsFile)) compounds = JSON.parse(readFileSync(compoundsFile, 'utf8'));
    } catch (e) {
        console.error(`${compoundsFile}: ${e.message}`);
        process.exit(1);
    }
    const { errors, ctx } = check(data, { lucide, emoji, compounds });
    for (const e of errors) console.error(`error: ${e}`);
    if (errors.length) {
        console.error(`${errors.length} error(s)`);
        process.exit(1);
    }
    const withEmoji = data.filter((c) => c.emoji).length;
    console.log(`ok: ${data.length} concepts (${withEmoji} with an emoji)`);
    console.log(`words: ${LANGUAGES.map((l) => `${l} ${ctx.wordCount[l]}`).join(', ')}`);
    const compounded = Object.entries(ctx.compoundCount);
    if (compounded.length) console.log(`compounds: ${compounded.map(([l, n]) => `${l} ${n}`).join(', ')}`);

    if (lucide) {
        const outranked = outrankedWords({ concepts: data, compounds }, lucide.names);
        console.log(`words outranked by another icon's own name: ${outranked.length}`);
        if (args.misses) for (const line of outranked) console.log(`  outranked ${line}`);
    }
    if (!existsSync(args.names)) {
        console.log(`skipped: folder-name rates (no ${args.names})`);
        return;
    }
    const failing = reportRates(readFolderNames(args.names), args.resources, args.misses);
    if (failing.length) {
        console.error(`error: fewer than ${100 * REQUIRED_RATE} % fitting glyphs: ${failing.join(', ')}`);
        process.exit(1);
    }
}

if (process.argv[1] && resolve(process.argv[1]) === fileURLToPath(import.meta.url)) main();
