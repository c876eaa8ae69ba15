#!/usr/bin/env node
// Validates the hand-written folder vocabulary (folders.json next to this script).
//
//   node tools/vocabulary/check.mjs [--icons <dir of Lucide *.svg>] [--emoji-test <emoji-test.txt>] [file]
//
// Without --icons, tools/node_modules/lucide-static/icons (after `npm ci` in tools/) or else resources/lucide/
// is used; when the icons folder sits in the lucide-static package, its tags.json also rejects names that are
// only aliases of another icon.
// Without --emoji-test, /usr/share/unicode/emoji/emoji-test.txt is used when it exists. A check whose data is
// missing is reported as skipped. Exits 1 on any error, 0 otherwise; prints counts on success.

import { existsSync, readFileSync, readdirSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

export const LANGUAGES = ['en', 'fr', 'it', 'de', 'es', 'pt-BR', 'zh-Hans', 'ja', 'ko', 'ru', 'cs'];
const CONCEPT_KEYS = ['concept', 'lucide', 'emoji', 'words'];

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
    const args = { file: join(here, 'folders.json'), icons: null, emojiTest: null };
    for (let i = 0; i < argv.length; ++i) {
        if (argv[i] === '--icons') args.icons = argv[++i];
        else if (argv[i] === '--emoji-test') args.emojiTest = argv[++i];
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

function checkWords(where, lang, words, errors) {
    if (!Array.isArray(words) || words.length === 0) {
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
        const good = checkWords(where, lang, words[lang], errors);
        ctx.wordCount[lang] += good.length;
        for (const key of good) {
            if (!ctx.owners.has(key)) ctx.owners.set(key, new Set());
            ctx.owners.get(key).add(entry.concept);
        }
    }
}

export function check(data, { lucide = null, emoji = null } = {}) {
    const ctx = {
        errors: [],
        concepts: new Set(),
        owners: new Map(), // folded word -> concepts that list it (in any language)
        wordCount: Object.fromEntries(LANGUAGES.map((l) => [l, 0])),
        lucide,
        emoji,
    };
    if (!Array.isArray(data)) return { errors: ['top level must be an array'], ctx };
    data.forEach((entry, i) => checkConcept(entry, i, ctx));
    // One word leading to two concepts would leave the index with a tie between two glyphs.
    for (const [word, owners] of ctx.owners)
        if (owners.size > 1) ctx.errors.push(`"${word}" is a word of several concepts: ${[...owners].join(', ')}`);
    return { errors: ctx.errors, ctx };
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

    const { errors, ctx } = check(data, { lucide, emoji });
    for (const e of errors) console.error(`error: ${e}`);
    if (errors.length) {
        console.error(`${errors.length} error(s)`);
        process.exit(1);
    }
    const withEmoji = data.filter((c) => c.emoji).length;
    console.log(`ok: ${data.length} concepts (${withEmoji} with an emoji)`);
    console.log(`words: ${LANGUAGES.map((l) => `${l} ${ctx.wordCount[l]}`).join(', ')}`);
}

if (process.argv[1] && resolve(process.argv[1]) === fileURLToPath(import.meta.url)) main();
