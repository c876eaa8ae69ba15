// Helpers shared by the resource generators: paths, deterministic writing.
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

export const toolsDir = path.dirname(fileURLToPath(import.meta.url));
export const resourcesDir = path.resolve(toolsDir, '..', 'resources');
export const modulesDir = path.join(toolsDir, 'node_modules');

// The folder-name languages of the program and the CLDR locale that carries each one's data.
export const LANGUAGES = [
    ['en', 'en'], ['fr', 'fr'], ['it', 'it'], ['de', 'de'], ['es', 'es'], ['pt-BR', 'pt'],
    ['zh-Hans', 'zh'], ['ja', 'ja'], ['ko', 'ko'], ['ru', 'ru'], ['cs', 'cs'],
];

export function readJson(file) {
    return JSON.parse(fs.readFileSync(file, 'utf8'));
}

export function packageVersion(name) {
    return readJson(path.join(modulesDir, name, 'package.json')).version;
}

// Code-point order, independent of the machine's locale, so that every run writes the same bytes.
export function byCodePoint(a, b) {
    return a < b ? -1 : a > b ? 1 : 0;
}

export function writeFile(relative, content) {
    const file = path.join(resourcesDir, relative);
    fs.mkdirSync(path.dirname(file), { recursive: true });
    fs.writeFileSync(file, content);
}

// Compact JSON with the keys of every object in code-point order.
export function stableJson(value) {
    if (Array.isArray(value)) return '[' + value.map(stableJson).join(',') + ']';
    if (value !== null && typeof value === 'object') {
        const keys = Object.keys(value).sort(byCodePoint);
        return '{' + keys.map((k) => JSON.stringify(k) + ':' + stableJson(value[k])).join(',') + '}';
    }
    return JSON.stringify(value);
}
