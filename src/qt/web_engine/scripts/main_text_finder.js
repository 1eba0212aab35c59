// Finds the main text of the page (the article without its menus, sidebars, comments and
// footers) and selects it, one range at a time, for the engine's copy. Runs in a script world
// of the program's own: the page's scripts can neither see nor alter it.
//   velcaroMainText.find()    the number of ranges found, 0 when no main text stands out
//   velcaroMainText.select(i) selects range i
var velcaroMainText = (function () {
    'use strict';

    // Less text than this is no article.
    var MIN_CHARS = 500;
    // A candidate holding nearly all of the page's text is the page, not its main part.
    var MAX_SHARE = 0.95;

    var ranges = [];

    function visibleText(element) {
        return (element.innerText || '').replace(/\s+/g, ' ').trim();
    }

    function candidates() {
        return Array.prototype.slice.call(document.querySelectorAll(
            '[itemprop~="articleBody"], article, main, [role="main"]'));
    }

    function best() {
        var pageChars = visibleText(document.body).length;
        var chosen = null;
        var chosenChars = 0;
        candidates().forEach(function (element) {
            var chars = visibleText(element).length;
            if (chars > chosenChars) {
                chosen = element;
                chosenChars = chars;
            }
        });
        if (!chosen || chosenChars < MIN_CHARS || chosenChars > MAX_SHARE * pageChars)
            return null;
        return chosen;
    }

    function find() {
        ranges = [];
        try {
            var element = document.body && best();
            if (element) {
                var range = document.createRange();
                range.selectNodeContents(element);
                ranges.push(range);
            }
        } catch (e) {
            ranges = [];
        }
        return ranges.length;
    }

    function select(index) {
        var selection = window.getSelection();
        selection.removeAllRanges();
        if (ranges[index])
            selection.addRange(ranges[index]);
        return true;
    }

    return {find: find, select: select};
})();
